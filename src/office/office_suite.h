#pragma once
// The office suite that turns an RTF file into a Word document. A plain C++
// face over the LibreOffice client, so the engine needs none of its headers.
#include <string>

enum class OfficeFormat { Doc, Docx };

enum class OfficeResult {
    Converted,     // a Word document of the asked format is at the target path
    NotAvailable,  // no office suite, or it cannot be started
    OpenFailed,    // the suite could not load the RTF
    SaveFailed,    // loaded, but no Word document came out
};

// How the documents are handed to the suite.
enum class OfficeMode {
    Uno,          // one persistent instance of the run, driven over UNO
    CommandLine,  // one conversion process per document (no UNO client)
};

// Converts `rtfPath` to a Word document at `targetPath`. The first call of a
// run starts the suite; it keeps running until EndOfficeInstance.
OfficeResult ConvertWithOffice(const std::string& rtfPath, const std::string& targetPath,
                               OfficeFormat format);

// True when an office suite can be found (PW_SOFFICE or "soffice" on the
// PATH); whether it starts is only known when it is first asked to convert.
bool OfficeSuiteInstalled();

// Stops the instances of the run and removes their private profiles. Safe
// to call when nothing was started.
void EndOfficeInstance();

// Up to `count` instances convert documents at once (each one document at a
// time, started when a document finds the others busy); 1, the default,
// queues every document for one instance.
void SetOfficeInstances(int count);

// Kills the instance of the run at once and removes its profile, from any
// thread, for a program that is about to end without waiting for it.
void KillOfficeInstanceNow();

// The way the next conversion will be done: Uno unless the UNO client is not
// built in, cannot bootstrap, or PW_OFFICE_COMMAND_LINE=1 asks for the
// command line.
OfficeMode CurrentOfficeMode();

// Seconds the last conversion over UNO spent in the suite: loading the RTF
// (import and the first layout) and storing the Word document (export).
// Zero for the command-line way (for benchmarks and diagnostics).
struct OfficeStepTimes {
    double load = 0;
    double store = 0;
};
OfficeStepTimes LastOfficeStepTimes();

// The process group of the running instance, 0 when none runs (for tests
// and diagnostics).
int OfficeInstanceGroup();

// How many instances run now (for tests and diagnostics).
int OfficeInstancesRunning();
