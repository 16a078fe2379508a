// SPDX-License-Identifier: MIT
#pragma once
// The command line of kestrin-cli, taken apart as getopt_long would (GNU conventions:
// options anywhere, before the command too, "--" ends them, -dVALUE, --delimiter=VALUE,
// abbreviated long options), from a table of the options and the commands that take them.
// Arguments are bytes and reach the engine unchanged.
#include <stdexcept>
#include <string>
#include <vector>

namespace Kestrin
{
struct CommandLine
{
    enum class Action
    {
        Help,
        Version,
        Split,
        Join,
        CountSplit,
        CountJoin
    };
    // What an existing fragment file gets.
    enum class Overwrite
    {
        Ask,    // the question, answered on the terminal
        Always, // --force / --silent
        Never   // --no-clobber
    };
    Action What = Action::Help;
    std::string Source; // split source or join list; "-" is standard input
    std::string Target; // split folder or join target file; "-" is standard output (join)
    bool HasTarget = false;
    std::string Delimiter; // escapes already turned into bytes with -e
    bool HasDelimiter = false;
    bool Escapes = false; // -e
    std::string Name;     // --name: the file name fragments of standard input are named after
    bool FirstLine = false;
    Overwrite Existing = Overwrite::Ask;
    bool List = false;
    bool DryRun = false;
    bool KeepDelimiter = false;
    bool KeepLineEnds = false;
    bool SkipEmpty = false;
    bool NumberRepeated = false;
    bool FileNames = false;
    bool Raw = false;
    bool Yes = false;
    bool Quiet = false;
    bool Verbose = false;
};

// A command line that cannot be run; what() is the one-line reason, which kestrin-cli
// prints before it exits with status 2.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Throws UsageError.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// \n, \r, \t, \\ and \xHH turned into their bytes. Throws UsageError for any other escape.
std::string DecodeEscapes(const std::string& text);

const char* UsageText();
} // namespace Kestrin
