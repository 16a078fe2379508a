// SPDX-License-Identifier: MIT
#include "CommandLine.h"

namespace Kestrin
{
const char* UsageText()
{
    // GNU layout ("Usage:", "  or:", a description, two-space indented items), which
    // help2man turns into the manual page's synopsis, description and option list; lines
    // that start with "$ " become examples.
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
           "          DELIM; LIST - reads the list from standard input (relative lines from\n"
           "          the current folder); TARGET - writes to standard output.\n"
           "  count   prints the number of fragments or list lines that a run would use.\n"
           "\n"
           "Options may stand before or after the command.\n"
           "\n"
           "Options:\n"
           "  -d, --delimiter=DELIM  the delimiter; the next argument is taken as it is, also\n"
           "                         when it begins with \"-\"\n"
           "  -e, --escapes          \\n, \\r, \\t, \\\\ and \\xHH in DELIM stand for their bytes\n"
           "  -t, --target=PATH      the target folder (split) or file (join)\n"
           "      --first-line       split: name fragments after their first line\n"
           "      --number-repeated  split: a first-line name that an earlier fragment took\n"
           "                         gets _2, _3, ... before its extension\n"
           "      --list             split: also write the list file BASE_List.EXT\n"
           "  -f, --force            split: replace existing fragment files without asking\n"
           "                         (also --silent)\n"
           "  -n, --no-clobber       split: never replace an existing file, without asking\n"
           "      --keep-delimiter   split: each fragment starts with the delimiter that\n"
           "                         opened it (line breaks it starts with end the fragment\n"
           "                         before)\n"
           "      --keep-line-ends   split: write each fragment with its final line break\n"
           "  -z, --elide-empty-files\n"
           "                         split: no file for a fragment that would be empty\n"
           "                         (numbers count the files written)\n"
           "      --dry-run          split: print the files it would write (\"exists\" after a\n"
           "                         tab for those already there) and write nothing\n"
           "      --name=NAME        split: the file name to name fragments of standard input\n"
           "                         after\n"
           "      --file-names       join: each file's path as the first line of its part\n"
           "      --raw              join: the files as they are, one after another, with\n"
           "                         nothing between them and nothing dropped (as cat)\n"
           "  -y, --yes              join: replace an existing TARGET without asking\n"
           "  -q, --quiet            no progress display\n"
           "  -v, --verbose          print each file written\n"
           "  -h, --help             this text\n"
           "      --version          the version and licence\n"
           "\n"
           "By default a split drops each fragment's final line break and the delimiter, and\n"
           "a join puts a line break and DELIM before each file. For a split that joins back\n"
           "byte for byte, keep both and join raw:\n"
           "  $ kestrin-cli split in.log -d DELIM --keep-delimiter --keep-line-ends --list\n"
           "  $ kestrin-cli join --raw in_List.log -t copy.log\n"
           "\n"
           "Before replacing a file, the question is asked on standard error and answered on\n"
           "the terminal: y (yes), n (no), a (yes to all) or, for fragments, c (cancel the\n"
           "rest). Even with --force the split asks before it replaces its own source or its\n"
           "list file, a fragment it wrote earlier in the same run (two equal first lines),\n"
           "or writes through a link that leads out of the target folder. A question that\n"
           "cannot be answered (no terminal, end of input) keeps the file; the files kept so\n"
           "are counted at the end, and each fragment not written is named. On a terminal a\n"
           "run that takes longer than a second shows its progress on standard error. Ctrl+C\n"
           "stops a run before its next file (what is written stays whole); a second Ctrl+C\n"
           "ends at once.\n"
           "\n"
           "Exit status:\n"
           "  0    done\n"
           "  1    failed (the message names the file and the reason)\n"
           "  2    usage error\n"
           "  3    cancelled by the user (an overwrite question answered c, or n for the\n"
           "       join)\n"
           "  4    nothing to do (the delimiter does not occur, an empty file, a list of\n"
           "       fewer than two lines, none of the listed files found)\n"
           "  5    not everything was written: a question had no answer, or a fragment's\n"
           "       name was taken by an earlier one (the messages say which)\n"
           "  130  stopped by Ctrl+C\n"
           "  141  standard output was closed by its reader (a broken pipe)\n";
}

namespace
{
[[noreturn]] void Fail(const std::string& reason)
{
    throw UsageError{reason};
}

// The commands, as bits of OptionSpec::Commands.
constexpr unsigned SplitCommand = 1, JoinCommand = 2, CountSplitCommand = 4, CountJoinCommand = 8,
                   AnyCommand = 15;

enum class Id
{
    Delimiter,
    Escapes,
    Target,
    FirstLine,
    List,
    Force,
    NoClobber,
    DryRun,
    Name,
    KeepDelimiter,
    KeepLineEnds,
    SkipEmpty,
    NumberRepeated,
    FileNames,
    Raw,
    Yes,
    Quiet,
    Verbose,
    Help,
    Version,
};

struct OptionSpec
{
    const char* Long; // without "--"
    char Short;       // 0: none
    bool TakesValue;
    unsigned Commands;
    Id What;
};

const OptionSpec Options[] = {
    {"delimiter", 'd', true, SplitCommand | JoinCommand | CountSplitCommand, Id::Delimiter},
    {"escapes", 'e', false, SplitCommand | JoinCommand | CountSplitCommand, Id::Escapes},
    {"target", 't', true, SplitCommand | JoinCommand, Id::Target},
    {"first-line", 0, false, SplitCommand, Id::FirstLine},
    {"list", 0, false, SplitCommand, Id::List},
    {"force", 'f', false, SplitCommand, Id::Force},
    {"silent", 0, false, SplitCommand, Id::Force},
    {"no-clobber", 'n', false, SplitCommand, Id::NoClobber},
    {"dry-run", 0, false, SplitCommand, Id::DryRun},
    {"name", 0, true, SplitCommand, Id::Name},
    {"keep-delimiter", 0, false, SplitCommand, Id::KeepDelimiter},
    {"keep-line-ends", 0, false, SplitCommand, Id::KeepLineEnds},
    {"elide-empty-files", 'z', false, SplitCommand, Id::SkipEmpty},
    {"number-repeated", 0, false, SplitCommand, Id::NumberRepeated},
    {"file-names", 0, false, JoinCommand, Id::FileNames},
    {"raw", 0, false, JoinCommand, Id::Raw},
    {"yes", 'y', false, JoinCommand, Id::Yes},
    {"quiet", 'q', false, SplitCommand | JoinCommand, Id::Quiet},
    {"verbose", 'v', false, SplitCommand | JoinCommand, Id::Verbose},
    {"help", 'h', false, AnyCommand, Id::Help},
    {"version", 0, false, AnyCommand, Id::Version},
};

// An option as given: what it is, how it was spelled (for messages), its value.
struct Given
{
    const OptionSpec* Spec;
    std::string Spelled;
    std::string Value;
};

// A long option by its name or an abbreviation that names one option only.
const OptionSpec& LongOption(const std::string& argument, const std::string& name)
{
    std::vector<const OptionSpec*> found;
    for (const auto& spec : Options)
    {
        if (name == spec.Long)
            return spec;
        if (std::string(spec.Long).compare(0, name.size(), name) == 0)
            found.push_back(&spec);
    }
    if (found.empty())
        Fail("unrecognized option '" + argument + "'");
    for (const auto* other : found)
        if (other->What != found.front()->What)
        {
            std::string reason = "option '" + argument + "' is ambiguous; possibilities:";
            for (const auto* spec : found)
                reason += std::string(" '--") + spec->Long + "'";
            Fail(reason);
        }
    return *found.front();
}

const OptionSpec& ShortOption(char letter)
{
    for (const auto& spec : Options)
        if (spec.Short == letter)
            return spec;
    Fail(std::string("invalid option -- '") + letter + "'");
}

// Options and operands in the order given; options may stand anywhere, "--" ends them.
// --help and --version end the reading where they stand, as they answer alone.
void ReadArguments(const std::vector<std::string>& arguments, std::vector<Given>& options,
                   std::vector<std::string>& operands)
{
    bool optionsEnded = false;
    for (std::size_t at = 0; at < arguments.size(); ++at)
    {
        const std::string& argument = arguments[at];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-')
        {
            operands.push_back(argument);
            continue;
        }
        if (argument == "--")
        {
            optionsEnded = true;
            continue;
        }
        if (argument[1] == '-')
        {
            const auto equals = argument.find('=');
            const auto& spec = LongOption(argument, argument.substr(2, equals - 2));
            Given given{&spec, std::string("--") + spec.Long, {}};
            if (equals != std::string::npos)
            {
                if (!spec.TakesValue)
                    Fail("option '" + given.Spelled + "' doesn't allow an argument");
                given.Value = argument.substr(equals + 1);
            }
            else if (spec.TakesValue)
            {
                if (at + 1 == arguments.size())
                    Fail("option '" + given.Spelled + "' requires an argument");
                given.Value = arguments[++at];
            }
            options.push_back(given);
        }
        else
            for (std::size_t letter = 1; letter < argument.size(); ++letter)
            {
                const auto& spec = ShortOption(argument[letter]);
                Given given{&spec, std::string("-") + argument[letter], {}};
                if (spec.TakesValue)
                {
                    // The rest of the word, or the next argument whatever it looks like.
                    if (letter + 1 < argument.size())
                        given.Value = argument.substr(letter + 1);
                    else if (at + 1 < arguments.size())
                        given.Value = arguments[++at];
                    else
                        Fail(std::string("option requires an argument -- '") + argument[letter] +
                             "'");
                    letter = argument.size();
                }
                options.push_back(given);
            }
        if (options.back().Spec->What == Id::Help || options.back().Spec->What == Id::Version)
            return;
    }
}
} // namespace

namespace
{
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
    std::vector<Given> options;
    std::vector<std::string> operands;
    ReadArguments(arguments, options, operands);
    if (!options.empty() && options.back().Spec->What == Id::Help)
        return line;
    if (!options.empty() && options.back().Spec->What == Id::Version)
    {
        line.What = CommandLine::Action::Version;
        return line;
    }

    if (operands.empty())
        Fail("no command given");
    std::size_t at = 0;
    std::string command = operands[at++];
    unsigned bit = 0;
    if (command == "split")
    {
        line.What = CommandLine::Action::Split;
        bit = SplitCommand;
    }
    else if (command == "join")
    {
        line.What = CommandLine::Action::Join;
        bit = JoinCommand;
    }
    else if (command == "count")
    {
        const std::string what = at < operands.size() ? operands[at++] : std::string();
        if (what == "split")
        {
            line.What = CommandLine::Action::CountSplit;
            bit = CountSplitCommand;
        }
        else if (what == "join")
        {
            line.What = CommandLine::Action::CountJoin;
            bit = CountJoinCommand;
        }
        else
            Fail(what.empty() ? "count needs split or join"
                              : "count needs split or join, not '" + what + "'");
        command += " " + what;
    }
    else
        Fail("unknown command '" + command + "'");

    bool escapes = false;
    for (const auto& given : options)
    {
        if (!(given.Spec->Commands & bit))
            Fail("option '" + given.Spelled + "' is not for " + command);
        switch (given.Spec->What)
        {
        case Id::Delimiter:
            line.Delimiter = given.Value;
            line.HasDelimiter = true;
            break;
        case Id::Escapes:
            escapes = true;
            break;
        case Id::Target:
            line.Target = given.Value;
            line.HasTarget = true;
            break;
        case Id::FirstLine:
            line.FirstLine = true;
            break;
        case Id::List:
            line.List = true;
            break;
        case Id::Force:
            line.Existing = CommandLine::Overwrite::Always;
            break;
        case Id::NoClobber:
            line.Existing = CommandLine::Overwrite::Never;
            break;
        case Id::DryRun:
            line.DryRun = true;
            break;
        case Id::Name:
            line.Name = given.Value;
            break;
        case Id::KeepDelimiter:
            line.KeepDelimiter = true;
            break;
        case Id::KeepLineEnds:
            line.KeepLineEnds = true;
            break;
        case Id::SkipEmpty:
            line.SkipEmpty = true;
            break;
        case Id::NumberRepeated:
            line.NumberRepeated = true;
            break;
        case Id::FileNames:
            line.FileNames = true;
            break;
        case Id::Raw:
            line.Raw = true;
            break;
        case Id::Yes:
            line.Yes = true;
            break;
        case Id::Quiet:
            line.Quiet = true;
            break;
        case Id::Verbose:
            line.Verbose = true;
            break;
        case Id::Help:
        case Id::Version:
            break;
        }
    }
    const bool split = line.What == CommandLine::Action::Split;
    const bool join = line.What == CommandLine::Action::Join;
    const bool countJoin = line.What == CommandLine::Action::CountJoin;
    if (at == operands.size())
        Fail(join || countJoin ? "no list file given" : "no source file given");
    if (at + 1 < operands.size())
        Fail("unexpected argument '" + operands[at + 1] + "'");
    line.Source = operands[at];
    if (escapes)
        line.Delimiter = DecodeEscapes(line.Delimiter);
    if ((split || line.What == CommandLine::Action::CountSplit) && !line.HasDelimiter)
        Fail("split needs a delimiter (-d DELIM)");
    if ((split || line.What == CommandLine::Action::CountSplit) && line.Delimiter.empty())
        Fail("the delimiter must not be empty");
    if (join && !line.HasTarget)
        Fail("join needs a target file (-t TARGET)");
    if (join && line.Raw && (line.HasDelimiter || line.FileNames))
        Fail("--raw joins the files as they are, without a delimiter or file names");
    if (split && line.Target == "-")
        Fail("fragments cannot go to standard output: -t names a folder");
    return line;
}
} // namespace Kestrin
