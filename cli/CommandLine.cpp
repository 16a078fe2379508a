// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include <getopt.h>

namespace Kestrin
{
const char* UsageText()
{
    // GNU layout ("Usage:", "  or:", a description, two-space indented items), which
    // help2man turns into the manual page's synopsis, description and option list.
    return "Usage: kestrin-cli split SOURCE -d DELIM [-t FOLDER] [OPTIONS]\n"
           "  or:  kestrin-cli join LIST -t TARGET [-d DELIM] [OPTIONS]\n"
           "  or:  kestrin-cli count split SOURCE -d DELIM\n"
           "  or:  kestrin-cli count join LIST\n"
           "  or:  kestrin-cli --help | --version\n"
           "Splits a text file at a delimiter into fragment files, or joins the files named\n"
           "in a list file into one.\n"
           "\n"
           "Commands:\n"
           "  split   cuts SOURCE at every occurrence of DELIM into numbered fragment files\n"
           "          (SOURCE_1.EXT, ...) in FOLDER, or beside SOURCE. SOURCE - reads\n"
           "          standard input once (its fragments are named after --name, else\n"
           "          \"stdin\").\n"
           "  join    writes the files named in LIST (one path per line, relative ones taken\n"
           "          from LIST's folder) into TARGET, each introduced by a line break and\n"
           "          DELIM; TARGET - writes to standard output.\n"
           "  count   prints the number of fragments or list lines that a run would use.\n"
           "\n"
           "Options:\n"
           "  -d, --delimiter=DELIM  the delimiter; the next argument is taken as it is, also\n"
           "                         when it begins with \"-\"\n"
           "  -e, --escapes          \\n, \\r, \\t, \\\\ and \\xHH in DELIM stand for their bytes\n"
           "  -t, --target=PATH      the target folder (split) or file (join)\n"
           "      --first-line       split: name fragments after their first line\n"
           "      --list             split: also write the list file BASE_List.EXT\n"
           "  -f, --force            split: replace existing fragment files without asking\n"
           "                         (also --silent)\n"
           "  -n, --no-clobber       split: never replace an existing file, without asking\n"
           "      --dry-run          split: print the files it would write (\"exists\" after a\n"
           "                         tab for those already there) and write nothing\n"
           "      --name=NAME        split: the file name to name fragments of standard input\n"
           "                         after\n"
           "      --file-names       join: each file's path as the first line of its part\n"
           "  -y, --yes              join: replace an existing TARGET without asking\n"
           "  -q, --quiet            no progress display\n"
           "  -v, --verbose          print each file written\n"
           "  -h, --help             this text\n"
           "      --version          the version and licence\n"
           "\n"
           "Before replacing a file, the question is asked on standard error and answered on\n"
           "the terminal: y (yes), n (no), a (yes to all) or, for fragments, c (cancel the\n"
           "rest). Even with --force the split asks before it replaces its own source or its\n"
           "list file, or writes through a link that leads out of the target folder; without\n"
           "an answer the file is kept. On a terminal a run that takes longer than a second\n"
           "shows its progress on standard error. Ctrl+C stops a run before its next file\n"
           "(what is written stays whole); a second Ctrl+C ends at once.\n"
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

enum Option
{
    FirstLineOption = 256,
    ListOption,
    DryRunOption,
    NameOption,
    FileNamesOption,
    VersionOption,
    SilentOption,
};

// Which options a command takes.
bool Allowed(CommandLine::Action what, int option)
{
    using Action = CommandLine::Action;
    const bool split = what == Action::Split;
    const bool join = what == Action::Join;
    switch (option)
    {
    case 'd':
    case 'e':
        return what != Action::CountJoin;
    case 't':
    case 'q':
    case 'v':
        return split || join;
    case 'f':
    case 'n':
    case SilentOption:
    case FirstLineOption:
    case ListOption:
    case DryRunOption:
    case NameOption:
        return split;
    case 'y':
    case FileNamesOption:
        return join;
    default:
        return true;
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

std::string DecodeEscapes(const std::string& text)
{
    std::string bytes;
    for (std::size_t at = 0; at < text.size(); ++at)
    {
        if (text[at] != '\\')
        {
            bytes += text[at];
            continue;
        }
        if (++at == text.size())
            Fail("the delimiter ends in a lone \"\\\"");
        switch (text[at])
        {
        case 'n':
            bytes += '\n';
            break;
        case 'r':
            bytes += '\r';
            break;
        case 't':
            bytes += '\t';
            break;
        case '\\':
            bytes += '\\';
            break;
        case 'x':
        {
            const int high = at + 1 < text.size() ? HexDigit(text[at + 1]) : -1;
            const int low = at + 2 < text.size() ? HexDigit(text[at + 2]) : -1;
            if (high < 0 || low < 0)
                Fail("\\x in the delimiter needs two hex digits");
            bytes += static_cast<char>(high * 16 + low);
            at += 2;
            break;
        }
        default:
            Fail(std::string("unknown escape \"\\") + text[at] + "\" in the delimiter");
        }
    }
    return bytes;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    if (arguments.empty())
        Fail("no command given");
    std::size_t at = 0;
    const std::string& command = arguments[at++];
    if (command == "--help" || command == "-h")
        return line;
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
        const std::string what = at < arguments.size() ? arguments[at++] : std::string();
        if (what == "split")
            line.What = CommandLine::Action::CountSplit;
        else if (what == "join")
            line.What = CommandLine::Action::CountJoin;
        else
            Fail(what.empty() ? "count needs split or join"
                              : "count needs split or join, not \"" + what + "\"");
    }
    else
        Fail("unknown command \"" + command + "\"");

    // getopt_long works on an argv of its own, from the command's arguments on.
    std::vector<std::string> copies(1, "kestrin-cli");
    copies.insert(copies.end(), arguments.begin() + static_cast<std::ptrdiff_t>(at),
                  arguments.end());
    std::vector<char*> argv;
    for (auto& copy : copies)
        argv.push_back(&copy[0]);
    argv.push_back(nullptr);
    static const option longOptions[] = {
        {"delimiter", required_argument, nullptr, 'd'},
        {"escapes", no_argument, nullptr, 'e'},
        {"target", required_argument, nullptr, 't'},
        {"first-line", no_argument, nullptr, FirstLineOption},
        {"list", no_argument, nullptr, ListOption},
        {"force", no_argument, nullptr, 'f'},
        {"silent", no_argument, nullptr, SilentOption},
        {"no-clobber", no_argument, nullptr, 'n'},
        {"dry-run", no_argument, nullptr, DryRunOption},
        {"name", required_argument, nullptr, NameOption},
        {"file-names", no_argument, nullptr, FileNamesOption},
        {"yes", no_argument, nullptr, 'y'},
        {"quiet", no_argument, nullptr, 'q'},
        {"verbose", no_argument, nullptr, 'v'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, VersionOption},
        {nullptr, 0, nullptr, 0},
    };
    const int argc = static_cast<int>(copies.size());
    optind = 0; // start afresh (GNU), also when parsed before
    opterr = 0; // the reasons are ours
    bool escapes = false;
    for (;;)
    {
        const int option = getopt_long(argc, argv.data(), ":d:et:fnyqvh", longOptions, nullptr);
        if (option == -1)
            break;
        const std::string given = argv[static_cast<std::size_t>(optind) - 1];
        if (option == '?')
            Fail("unknown option \"" + (optopt ? std::string("-") + char(optopt) : given) + "\"");
        if (option == ':')
            Fail(given + " needs a value");
        if (!Allowed(line.What, option))
            Fail("option \"" + given + "\" is not for " + command);
        switch (option)
        {
        case 'h':
            return CommandLine();
        case VersionOption:
            line.What = CommandLine::Action::Version;
            return line;
        case 'd':
            line.Delimiter = optarg;
            line.HasDelimiter = true;
            break;
        case 'e':
            escapes = true;
            break;
        case 't':
            line.Target = optarg;
            line.HasTarget = true;
            break;
        case FirstLineOption:
            line.FirstLine = true;
            break;
        case ListOption:
            line.List = true;
            break;
        case 'f':
        case SilentOption:
            line.Existing = CommandLine::Overwrite::Always;
            break;
        case 'n':
            line.Existing = CommandLine::Overwrite::Never;
            break;
        case DryRunOption:
            line.DryRun = true;
            break;
        case NameOption:
            line.Name = optarg;
            break;
        case FileNamesOption:
            line.FileNames = true;
            break;
        case 'y':
            line.Yes = true;
            break;
        case 'q':
            line.Quiet = true;
            break;
        case 'v':
            line.Verbose = true;
            break;
        }
    }
    // getopt_long has moved the operands behind the options in argv (not in `copies`).
    const std::vector<std::string> operands(argv.begin() + optind, argv.end() - 1);
    const bool split = line.What == CommandLine::Action::Split;
    const bool join = line.What == CommandLine::Action::Join;
    const bool countJoin = line.What == CommandLine::Action::CountJoin;
    if (operands.empty())
        Fail(join || countJoin ? "no list file given" : "no source file given");
    if (operands.size() > 1)
        Fail("unexpected argument \"" + operands[1] + "\"");
    line.Source = operands[0];
    if (escapes)
        line.Delimiter = DecodeEscapes(line.Delimiter);
    if ((split || line.What == CommandLine::Action::CountSplit) && !line.HasDelimiter)
        Fail("split needs a delimiter (-d DELIM)");
    if ((split || line.What == CommandLine::Action::CountSplit) && line.Delimiter.empty())
        Fail("the delimiter must not be empty");
    if (join && !line.HasTarget)
        Fail("join needs a target file (-t TARGET)");
    if (join && line.Source == "-")
        Fail("the list cannot be read from standard input");
    if (split && line.Target == "-")
        Fail("fragments cannot go to standard output: -t names a folder");
    return line;
}
} // namespace Kestrin
