// SPDX-License-Identifier: MIT
#include "CommandLine.h"

namespace Kestrin
{
namespace
{
// GNU layout ("Usage:", "  or:", a description, two-space indented items), which help2man
// turns into the manual page's synopsis, description and option list; lines that start
// with "$ " become examples.
const char* const Usage =
    "Usage: kestrin-cli split SOURCE -d DELIM [-t FOLDER] [OPTIONS]\n"
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
} // namespace

const char* UsageText()
{
    return Usage;
}

namespace
{
[[noreturn]] void Fail(const std::string& reason)
{
    throw UsageError(reason);
}

// The commands, as bits of OptionRow::Commands.
constexpr unsigned SplitCommand = 1, JoinCommand = 2, CountSplitCommand = 4, CountJoinCommand = 8,
                   AnyCommand = 15;

// What an option does to the command line, given its value (empty for an option without one).
using Setter = void (*)(CommandLine& line, const std::string& value);

template <bool CommandLine::*Flag> void Raise(CommandLine& line, const std::string&)
{
    line.*Flag = true;
}

template <std::string CommandLine::*Text> void Take(CommandLine& line, const std::string& value)
{
    line.*Text = value;
}

// A value whose absence the checks must tell from an empty one (-d "").
template <std::string CommandLine::*Text, bool CommandLine::*Given>
void TakeGiven(CommandLine& line, const std::string& value)
{
    line.*Text = value;
    line.*Given = true;
}

// -f and -n: the one given last holds.
template <CommandLine::Overwrite Choice> void SetExisting(CommandLine& line, const std::string&)
{
    line.Existing = Choice;
}

template <CommandLine::Action What> void Answer(CommandLine& line, const std::string&)
{
    line.What = What;
}

enum class Takes
{
    Nothing,
    Value,
    Alone // --help and --version: answer by themselves and end the reading where they stand
};

struct OptionRow
{
    const char* Long; // without "--"
    char Short;       // 0: none
    Takes What;
    unsigned Commands;
    Setter Set; // options with the same Set are one option under two names
};

// Every option, one row each: its names, whether it takes a value, the commands that allow
// it, and what it sets.
using L = CommandLine; // keeps the rows short
const OptionRow Options[] = {
    {"delimiter", 'd', Takes::Value, SplitCommand | JoinCommand | CountSplitCommand,
     TakeGiven<&L::Delimiter, &L::HasDelimiter>},
    {"escapes", 'e', Takes::Nothing, SplitCommand | JoinCommand | CountSplitCommand,
     Raise<&L::Escapes>},
    {"target", 't', Takes::Value, SplitCommand | JoinCommand, TakeGiven<&L::Target, &L::HasTarget>},
    {"first-line", 0, Takes::Nothing, SplitCommand, Raise<&L::FirstLine>},
    {"list", 0, Takes::Nothing, SplitCommand, Raise<&L::List>},
    {"force", 'f', Takes::Nothing, SplitCommand, SetExisting<L::Overwrite::Always>},
    {"silent", 0, Takes::Nothing, SplitCommand, SetExisting<L::Overwrite::Always>},
    {"no-clobber", 'n', Takes::Nothing, SplitCommand, SetExisting<L::Overwrite::Never>},
    {"dry-run", 0, Takes::Nothing, SplitCommand, Raise<&L::DryRun>},
    {"name", 0, Takes::Value, SplitCommand, Take<&L::Name>},
    {"keep-delimiter", 0, Takes::Nothing, SplitCommand, Raise<&L::KeepDelimiter>},
    {"keep-line-ends", 0, Takes::Nothing, SplitCommand, Raise<&L::KeepLineEnds>},
    {"elide-empty-files", 'z', Takes::Nothing, SplitCommand, Raise<&L::SkipEmpty>},
    {"number-repeated", 0, Takes::Nothing, SplitCommand, Raise<&L::NumberRepeated>},
    {"file-names", 0, Takes::Nothing, JoinCommand, Raise<&L::FileNames>},
    {"raw", 0, Takes::Nothing, JoinCommand, Raise<&L::Raw>},
    {"yes", 'y', Takes::Nothing, JoinCommand, Raise<&L::Yes>},
    {"quiet", 'q', Takes::Nothing, SplitCommand | JoinCommand, Raise<&L::Quiet>},
    {"verbose", 'v', Takes::Nothing, SplitCommand | JoinCommand, Raise<&L::Verbose>},
    {"help", 'h', Takes::Alone, AnyCommand, Answer<L::Action::Help>},
    {"version", 0, Takes::Alone, AnyCommand, Answer<L::Action::Version>},
};

// An option as given: what it is, how it was spelled (for messages), its value.
struct Given
{
    const OptionRow* Row;
    std::string Spelled;
    std::string Value;
};

// A long option by its name or an abbreviation that names one option only.
const OptionRow& LongOption(const std::string& argument, const std::string& name)
{
    std::vector<const OptionRow*> found;
    for (const auto& row : Options)
    {
        if (name == row.Long)
            return row;
        if (std::string(row.Long).compare(0, name.size(), name) == 0)
            found.push_back(&row);
    }
    if (found.empty())
        Fail("unrecognized option '" + argument + "'");
    for (const auto* other : found)
        if (other->Set != found.front()->Set)
        {
            std::string reason = "option '" + argument + "' is ambiguous; possibilities:";
            for (const auto* row : found)
                reason += std::string(" '--") + row->Long + "'";
            Fail(reason);
        }
    return *found.front();
}

const OptionRow& ShortOption(char letter)
{
    for (const auto& row : Options)
        if (row.Short == letter)
            return row;
    Fail(std::string("invalid option -- '") + letter + "'");
}

// "--name", "--name=VALUE" or "--name VALUE" at arguments[at]; `at` moves past its value.
Given ReadLongOption(const std::vector<std::string>& arguments, std::size_t& at)
{
    const std::string& argument = arguments[at];
    const auto equals = argument.find('=');
    const auto& row = LongOption(argument, argument.substr(2, equals - 2));
    Given given{&row, std::string("--") + row.Long, {}};
    const bool takesValue = row.What == Takes::Value;
    if (equals != std::string::npos)
    {
        if (!takesValue)
            Fail("option '" + given.Spelled + "' doesn't allow an argument");
        given.Value = argument.substr(equals + 1);
    }
    else if (takesValue)
    {
        if (at + 1 == arguments.size())
            Fail("option '" + given.Spelled + "' requires an argument");
        given.Value = arguments[++at];
    }
    return given;
}

// "-qv", "-dVALUE" or "-d VALUE" at arguments[at]; `at` moves past its value.
void ReadShortOptions(const std::vector<std::string>& arguments, std::size_t& at,
                      std::vector<Given>& options)
{
    const std::string& argument = arguments[at];
    for (std::size_t letter = 1; letter < argument.size(); ++letter)
    {
        const auto& row = ShortOption(argument[letter]);
        Given given{&row, std::string("-") + argument[letter], {}};
        if (row.What == Takes::Value)
        {
            // The rest of the word, or the next argument whatever it looks like.
            if (letter + 1 < argument.size())
                given.Value = argument.substr(letter + 1);
            else if (at + 1 < arguments.size())
                given.Value = arguments[++at];
            else
                Fail(std::string("option requires an argument -- '") + argument[letter] + "'");
            letter = argument.size();
        }
        options.push_back(given);
    }
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
            operands.push_back(argument);
        else if (argument == "--")
            optionsEnded = true;
        else
        {
            if (argument[1] == '-')
                options.push_back(ReadLongOption(arguments, at));
            else
                ReadShortOptions(arguments, at, options);
            if (options.back().Row->What == Takes::Alone)
                return;
        }
    }
}

struct Command
{
    CommandLine::Action What;
    unsigned Bit; // in OptionRow::Commands
    std::string Name;
};

// The command word, and the second one of "count"; `at` moves past them.
Command ReadCommand(const std::vector<std::string>& operands, std::size_t& at)
{
    if (operands.empty())
        Fail("no command given");
    const std::string& word = operands[at++];
    if (word == "split")
        return {CommandLine::Action::Split, SplitCommand, word};
    if (word == "join")
        return {CommandLine::Action::Join, JoinCommand, word};
    if (word != "count")
        Fail("unknown command '" + word + "'");
    const std::string what = at < operands.size() ? operands[at++] : std::string();
    if (what == "split")
        return {CommandLine::Action::CountSplit, CountSplitCommand, word + " " + what};
    if (what == "join")
        return {CommandLine::Action::CountJoin, CountJoinCommand, word + " " + what};
    Fail(what.empty() ? "count needs split or join"
                      : "count needs split or join, not '" + what + "'");
}

// Each option in the order given, refused when the command does not allow it.
void ApplyOptions(const std::vector<Given>& options, const Command& command, CommandLine& line)
{
    for (const auto& given : options)
    {
        if (!(given.Row->Commands & command.Bit))
            Fail("option '" + given.Spelled + "' is not for " + command.Name);
        given.Row->Set(line, given.Value);
    }
}

// The one operand after the command, and what the command needs of the options.
void CheckOperands(const std::vector<std::string>& operands, std::size_t at, CommandLine& line)
{
    const bool split = line.What == CommandLine::Action::Split;
    const bool join = line.What == CommandLine::Action::Join;
    const bool cuts = split || line.What == CommandLine::Action::CountSplit;
    if (at == operands.size())
        Fail(join || line.What == CommandLine::Action::CountJoin ? "no list file given"
                                                                 : "no source file given");
    if (at + 1 < operands.size())
        Fail("unexpected argument '" + operands[at + 1] + "'");
    line.Source = operands[at];
    if (line.Escapes)
        line.Delimiter = DecodeEscapes(line.Delimiter);
    if (cuts && !line.HasDelimiter)
        Fail("split needs a delimiter (-d DELIM)");
    if (cuts && line.Delimiter.empty())
        Fail("the delimiter must not be empty");
    if (join && !line.HasTarget)
        Fail("join needs a target file (-t TARGET)");
    if (join && line.Raw && (line.HasDelimiter || line.FileNames))
        Fail("--raw joins the files as they are, without a delimiter or file names");
    if (split && line.Target == "-")
        Fail("fragments cannot go to standard output: -t names a folder");
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
    if (!options.empty() && options.back().Row->What == Takes::Alone)
    {
        options.back().Row->Set(line, {});
        return line;
    }
    std::size_t at = 0;
    const Command command = ReadCommand(operands, at);
    line.What = command.What;
    ApplyOptions(options, command, line);
    CheckOperands(operands, at, line);
    return line;
}
} // namespace Kestrin
