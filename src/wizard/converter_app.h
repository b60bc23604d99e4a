#pragma once
// Program start: one running copy per user, then the wizard, modally; the
// program ends when the wizard closes.
int RunConverterApp(int argc, char** argv);

// What `paperwell --help` prints; the manual page follows it.
extern const char* const kWizardUsage;
