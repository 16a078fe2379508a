#include "CommandLine.h"

namespace Kestrin
{
const char* UsageText()
{
    return "Usage:\n"
           "  kestrin-cli split SOURCE -d DELIM [-t FOLDER] [--first-line] [--silent] [--list]\n"
           "  kestrin-cli join LIST -t TARGET [-d DELIM] [--file-names] [--yes]\n"
           "  kestrin-cli count split SOURCE -d DELIM\n"
           "  kestrin-cli count join LIST\n"
           "  kestrin-cli --help | --version\n"
           "\n"
           "split   cuts SOURCE at every occurrence of DELIM into numbered fragment files\n"
           "        (named after their first line with --first-line) in FOLDER, or beside\n"
           "        SOURCE; --list also writes the list file BASE_List.EXT; --silent\n"
           "        overwrites existing fragment files without asking.\n"
           "join    writes the files named in LIST (one path per line) into TARGET, each\n"
           "        introduced by a line break and DELIM (and its path with --file-names);\n"
           "        --yes overwrites an existing TARGET without asking.\n"
           "count   prints the number of fragments or list lines that a run would use.\n"
           "\n"
           "Options:\n"
           "  -d, --delimiter DELIM  the delimiter; the next argument is taken as it is,\n"
           "                         also when it begins with \"-\"\n"
           "  -t, --target PATH      the target folder (split) or file (join)\n"
           "\n"
           "Before overwriting, the question is asked on standard error and answered on\n"
           "standard input: y (yes), n (no) or, for fragments, c (cancel the rest).\n"
           "Ctrl+C stops a run before its next file (what is written stays whole); a second\n"
           "Ctrl+C ends at once.\n"
           "\n"
           "Exit status:\n"
           "  0   done\n"
           "  1   failed (the message names the file and the reason)\n"
           "  2   usage error\n"
           "  3   cancelled by the user (an overwrite question answered c, or n for the join)\n"
           "  4   nothing to do (the delimiter does not occur, an empty file, a list of fewer\n"
           "      than two lines, none of the listed files found)\n"
           "  130 stopped by Ctrl+C\n";
}

namespace
{
[[noreturn]] void Fail(const std::string& reason)
{
    throw UsageError{reason};
}

bool TakesValue(const std::string& argument, const char* shortName, const char* longName,
                std::string& inlineValue, bool& hasInline)
{
    hasInline = false;
    if (argument == shortName || argument == longName)
        return true;
    const std::string prefix = std::string(longName) + "=";
    if (argument.compare(0, prefix.size(), prefix) == 0)
    {
        inlineValue = argument.substr(prefix.size());
        hasInline = true;
        return true;
    }
    return false;
}
} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    if (arguments.empty())
        Fail("no command given");
    std::size_t at = 0;
    const std::string& command = arguments[at++];
    if (command == "--help" || command == "-h")
    {
        line.What = CommandLine::Action::Help;
        return line;
    }
    if (command == "--version")
    {
        line.What = CommandLine::Action::Version;
        return line;
    }
    if (command == "split")
        line.What = CommandLine::Action::Split;
    else if (command == "join")
        line.What = CommandLine::Action::Join;
    else if (command == "count")
    {
        if (at >= arguments.size())
            Fail("count needs split or join");
        const std::string& what = arguments[at++];
        if (what == "split")
            line.What = CommandLine::Action::CountSplit;
        else if (what == "join")
            line.What = CommandLine::Action::CountJoin;
        else
            Fail("count needs split or join, not \"" + what + "\"");
    }
    else
        Fail("unknown command \"" + command + "\"");

    const bool split = line.What == CommandLine::Action::Split;
    const bool join = line.What == CommandLine::Action::Join;
    const bool countJoin = line.What == CommandLine::Action::CountJoin;
    bool hasSource = false;
    bool optionsEnded = false;
    while (at < arguments.size())
    {
        const std::string& argument = arguments[at++];
        std::string value;
        bool hasInline = false;
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-")
        {
            if (hasSource)
                Fail("unexpected argument \"" + argument + "\"");
            line.Source = argument;
            hasSource = true;
            continue;
        }
        if (argument == "--")
            optionsEnded = true;
        else if (argument == "--help" || argument == "-h")
        {
            line = CommandLine();
            return line;
        }
        else if (!countJoin && TakesValue(argument, "-d", "--delimiter", value, hasInline))
        {
            if (!hasInline)
            {
                if (at >= arguments.size())
                    Fail(argument + " needs a delimiter");
                value = arguments[at++];
            }
            line.Delimiter = value;
            line.HasDelimiter = true;
        }
        else if ((split || join) && TakesValue(argument, "-t", "--target", value, hasInline))
        {
            if (!hasInline)
            {
                if (at >= arguments.size())
                    Fail(argument + " needs a path");
                value = arguments[at++];
            }
            line.Target = value;
            line.HasTarget = true;
        }
        else if (split && argument == "--first-line")
            line.FirstLine = true;
        else if (split && argument == "--silent")
            line.Silent = true;
        else if (split && argument == "--list")
            line.List = true;
        else if (join && argument == "--file-names")
            line.FileNames = true;
        else if (join && argument == "--yes")
            line.Yes = true;
        else
            Fail("unknown option \"" + argument + "\" for " + command);
    }
    if (!hasSource)
        Fail(join || countJoin ? "no list file given" : "no source file given");
    if ((split || line.What == CommandLine::Action::CountSplit) && !line.HasDelimiter)
        Fail("split needs a delimiter (-d DELIM)");
    if ((split || line.What == CommandLine::Action::CountSplit) && line.Delimiter.empty())
        Fail("the delimiter must not be empty");
    if (join && !line.HasTarget)
        Fail("join needs a target file (-t TARGET)");
    return line;
}
} // namespace Kestrin
