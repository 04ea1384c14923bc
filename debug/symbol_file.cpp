// Label files of z80asm and pasmo: reading the file safely and parsing its lines.
#include "debug/symbol_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "debug/numbers.h"

namespace ollendor {

namespace {

constexpr std::size_t maxLineLength = 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

bool isHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c));
}

// The next run of characters up to a space, tab or ':' (the name's end in z80asm's form).
std::string_view takeWord(std::string_view& text, bool stopAtColon)
{
    std::size_t end = 0;
    while (end < text.size() && !isSpace(text[end]) && !(stopAtColon && text[end] == ':'))
        ++end;
    std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

void skipSpaces(std::string_view& text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// pasmo writes its LOCAL labels under made-up names of hex digits (00000000, 00000001).
bool isMadeUpLocalName(std::string_view name)
{
    return std::isdigit(static_cast<unsigned char>(name[0])) &&
           std::all_of(name.begin(), name.end(), isHexDigit);
}

std::string quoted(std::string_view text)
{
    constexpr std::size_t shown = 40;
    std::string out = "'";
    for (char c : text.substr(0, shown))
        out += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    return out + (text.size() > shown ? "...'" : "'");
}

struct ParsedLine {
    std::string_view name;
    uint16_t address = 0;
    bool skip = false;  // nothing to load and nothing wrong
    std::string error;  // why the line is bad
};

ParsedLine parseLine(std::string_view line)
{
    ParsedLine parsed;
    if (line.size() > maxLineLength) {
        parsed.error = "line longer than " + std::to_string(maxLineLength) + " characters";
        return parsed;
    }
    if (auto comment = line.find(';'); comment != std::string_view::npos)
        line = line.substr(0, comment);
    skipSpaces(line);
    while (!line.empty() && (isSpace(line.back()) || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.empty()) {
        parsed.skip = true;
        return parsed;
    }

    std::string_view name = takeWord(line, true);
    if (!line.empty() && line.front() == ':')
        line.remove_prefix(1);
    skipSpaces(line);
    const std::string_view keyword = takeWord(line, false);
    skipSpaces(line);
    const std::string_view value = takeWord(line, false);
    skipSpaces(line);
    if (name.empty() || !(equalsIgnoringCase(keyword, "equ") || keyword == "=") || value.empty()) {
        parsed.error = "expected 'NAME EQU VALUE', found " + quoted(name) + (keyword.empty() ? "" : " ...");
        return parsed;
    }
    if (!line.empty()) {
        parsed.error = "unexpected " + quoted(line) + " after the value";
        return parsed;
    }
    if (isMadeUpLocalName(name)) {
        parsed.skip = true;
        return parsed;
    }
    if (!isValidSymbolName(name)) {
        parsed.error = "not a valid symbol name: " + quoted(name);
        return parsed;
    }
    const auto number = parseNumber(value);
    if (!number) {
        parsed.error = "not a number: " + quoted(value);
        return parsed;
    }
    if (*number > 0xFFFF) {
        char text[16];
        std::snprintf(text, sizeof text, "$%X", *number);
        parsed.error = "value " + std::string(text) + " of " + quoted(name) + " is not a 16-bit address";
        return parsed;
    }
    parsed.name = name;
    parsed.address = uint16_t(*number);
    return parsed;
}

void addProblem(SymbolFileResult& result, std::string_view source, std::size_t line, std::string reason)
{
    if (result.problems.size() < SymbolFileResult::maxListedProblems)
        result.problems.push_back({std::string(source), line, std::move(reason)});
    ++result.problemCount;
}

// The whole of a regular file, or an error message.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::string& error)
{
    const std::string name = path.string();
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) {
        error = "cannot read the symbol file " + name + ": " + std::strerror(errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? name + " is a folder, not a symbol file"
                                      : name + " is not a regular file (a FIFO or device?): not read";
        return std::nullopt;
    }
    // Opened without waiting in case it was swapped for a FIFO since; checked again.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = "cannot open the symbol file " + name + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string text;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = name + " is not a regular file: not read";
    } else if (std::size_t(info.st_size) > maxSymbolFileSize) {
        error = name + " is too large for a symbol file (" + std::to_string(info.st_size) + " bytes)";
    } else {
        char buffer[65536];
        for (;;) {
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0) {
                error = "cannot read the symbol file " + name + ": " + std::strerror(errno);
                break;
            }
            if (count == 0)
                break;
            text.append(buffer, std::size_t(count));
            if (text.size() > maxSymbolFileSize) {
                error = name + " is too large for a symbol file";
                break;
            }
        }
    }
    ::close(fd);
    if (!error.empty())
        return std::nullopt;
    return text;
}

} // namespace

std::string SymbolFileProblem::message() const
{
    return file + ":" + std::to_string(line) + ": " + reason;
}

ParsedSymbols parseSymbolText(std::string_view text, std::string_view source)
{
    ParsedSymbols result;
    result.source = source;
    if (text.find('\0') != std::string_view::npos) {
        result.error = std::string(source) + " holds binary data, not symbols";
        return result;
    }
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;

        ParsedLine parsed = parseLine(line);
        if (parsed.skip)
            continue;
        if (!parsed.error.empty()) {
            if (result.problems.size() < SymbolFileResult::maxListedProblems)
                result.problems.push_back({std::string(source), lineNumber, std::move(parsed.error)});
            ++result.problemCount;
            continue;
        }
        result.symbols.push_back({std::string(parsed.name), parsed.address, lineNumber});
    }
    if (result.symbols.empty() && result.problemCount > 0)
        result.error = std::string(source) + " holds no symbol lines: is it a label file of z80asm or pasmo?";
    return result;
}

SymbolKind symbolFileKind(uint16_t address)
{
    return address < symbolFileFirstLabel ? SymbolKind::value : SymbolKind::label;
}

SymbolFileResult addParsedSymbols(Symbols& symbols, const ParsedSymbols& parsed)
{
    SymbolFileResult result;
    result.error = parsed.error;
    if (!result.ok()) {
        result.problems = parsed.problems;
        result.problemCount = parsed.problemCount;
        return result;
    }
    // The names that cannot be added are problems too, listed in line order among the
    // lines that could not be parsed.
    SymbolFileResult refused;
    for (const ParsedSymbols::Symbol& symbol : parsed.symbols) {
        ++result.symbolLines;
        switch (symbols.add(symbol.name, symbol.address, symbolFileKind(symbol.address))) {
        case Symbols::AddResult::added: ++result.added; break;
        case Symbols::AddResult::duplicate: break;
        case Symbols::AddResult::conflict: {
            char reason[96];
            std::snprintf(reason, sizeof reason, "'%.40s' is already $%04X; $%04X ignored", symbol.name.c_str(),
                          *symbols.addressOf(symbol.name), symbol.address);
            addProblem(refused, parsed.source, symbol.line, reason);
            break;
        }
        case Symbols::AddResult::invalidName: // parseLine checked the name
            addProblem(refused, parsed.source, symbol.line, "not a valid symbol name");
            break;
        }
    }
    std::merge(parsed.problems.begin(), parsed.problems.end(), refused.problems.begin(), refused.problems.end(),
               std::back_inserter(result.problems),
               [](const SymbolFileProblem& a, const SymbolFileProblem& b) { return a.line < b.line; });
    if (result.problems.size() > SymbolFileResult::maxListedProblems)
        result.problems.resize(SymbolFileResult::maxListedProblems);
    result.problemCount = parsed.problemCount + refused.problemCount;
    return result;
}

SymbolFileResult loadSymbolText(Symbols& symbols, std::string_view text, std::string_view source)
{
    return addParsedSymbols(symbols, parseSymbolText(text, source));
}

ParsedSymbols parseSymbolFile(const std::filesystem::path& path)
{
    ParsedSymbols result;
    const auto text = readRegularFile(path, result.error);
    if (!text) {
        result.source = path.string();
        return result;
    }
    return parseSymbolText(*text, path.string());
}

SymbolFileResult loadSymbolFile(Symbols& symbols, const std::filesystem::path& path)
{
    return addParsedSymbols(symbols, parseSymbolFile(path));
}

} // namespace ollendor
