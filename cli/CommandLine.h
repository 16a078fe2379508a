#pragma once
// The command line of kestrin-cli, taken apart. Arguments are bytes and reach the engine
// unchanged.
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
    Action What = Action::Help;
    std::string Source; // split source or join list
    std::string Target; // split folder or join target file
    bool HasTarget = false;
    std::string Delimiter;
    bool HasDelimiter = false;
    bool FirstLine = false;
    bool Silent = false;
    bool List = false;
    bool FileNames = false;
    bool Yes = false;
};

// Throws UsageError with a one-line reason.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

struct UsageError
{
    std::string Reason;
};

const char* UsageText();
} // namespace Kestrin
