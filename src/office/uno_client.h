#pragma once
// The UNO side of the office step: a client connection to one running
// instance. No UNO type appears here; every UNO exception is caught inside.
#include <memory>
#include <string>

#include "office/office_suite.h"

// Bootstraps this process's UNO runtime once, with the suite's program
// folder (where fundamentalrc lies). False when UNO cannot be used here.
bool BootstrapUno(const std::string& programFolder);

class CUnoClient {
public:
    CUnoClient();
    ~CUnoClient();
    CUnoClient(const CUnoClient&) = delete;
    CUnoClient& operator=(const CUnoClient&) = delete;

    // One attempt to reach the instance listening on `pipeName`.
    bool Connect(const std::string& pipeName);
    bool Connected() const;

    // Loads the RTF hidden, makes the "Frame" frame style transparent, with
    // `mendTextBoxes` clears the text boxes' borders (and keeps bottom-to-top
    // boxes in place in a .doc), stores the document with `filterName` and
    // closes it. `instanceLost` is set when the connection broke (the
    // instance died or was killed).
    OfficeResult Convert(const std::string& rtfUrl, const std::string& targetUrl,
                         const std::string& filterName, bool mendTextBoxes, bool& instanceLost);

    // Load and store seconds of the last Convert.
    OfficeStepTimes LastTimes() const;

    // Asks the instance to end (errors ignored) and drops the connection.
    void Terminate();
    // Drops the connection without a word to the instance.
    void Disconnect();

private:
    struct CImpl;
    std::unique_ptr<CImpl> m_impl;
};
