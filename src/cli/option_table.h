#pragma once
// The one table of the command line's options: each option's spellings, its
// argument, its help text and what it sets. The converter, --to-rtf and
// --dump-items parse their arguments with it, and --help lists it.
#include <string>
#include <vector>

struct CliOptions;

// The commands of paperwell-cli, as bits: which of them take an option.
enum CliCommand : unsigned {
    kConvertCommand = 1u << 0,
    kToRtfCommand = 1u << 1,
    kDumpItemsCommand = 1u << 2,
};

enum class CliArgument {
    None,      // --frames
    Value,     // --output DIR: the next argument
    Optional,  // --ocr[=LANGS]: only joined to the option
};

struct CliOptionEntry {
    const char* shortName;  // "-o", or null
    const char* longName;   // "--output"
    CliArgument argument;
    const char* valueName;  // "DIR" as --help shows it; null without an argument
    unsigned commands;      // CliCommand bits
    // --help's lines, '\n' between them; null: a diagnostic's own option,
    // not listed.
    const char* help;
    // Sets what the option asks for; `value` is null when none was given
    // (an Optional one). False with `error` set when the value is not one
    // the option takes; `spelling` is the option as it was written.
    bool (*set)(CliOptions& options, const std::string* value, const std::string& spelling, std::string& error);
};

const std::vector<CliOptionEntry>& CliOptionTable();

// Parses args[first..] for `command`: options into `options`, the other
// arguments (and every one after "--") into `positional`. False with
// `error` set on an unknown option, a missing value or a value not taken.
bool ParseCommandLine(CliCommand command, const std::vector<std::string>& args, size_t first,
                      CliOptions& options, std::vector<std::string>& positional, std::string& error);

// The "Options:" lines of --help for `command`: "  -o, --output DIR" in a
// column of 24, the help's lines beside and below it.
std::string OptionHelp(CliCommand command);
