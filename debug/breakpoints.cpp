#include "debug/breakpoints.h"

#include <cctype>
#include <cstdio>

#include "debug/address_text.h"
#include "debug/numbers.h"
#include "debug/symbols.h"
#include "debug/registers.h"

namespace ollendor {

namespace {

struct CompareName {
    const char* text;
    Condition::Compare compare;
};

// Two-character operators first, so "<=" is not read as "<".
constexpr CompareName compareNames[] = {
    {"==", Condition::Compare::equal},        {"!=", Condition::Compare::notEqual},
    {"<=", Condition::Compare::lessOrEqual},  {">=", Condition::Compare::greaterOrEqual},
    {"<", Condition::Compare::less},          {">", Condition::Compare::greater},
    {"=", Condition::Compare::equal},
};

} // namespace

const char* breakKindName(BreakKind kind)
{
    switch (kind) {
    case BreakKind::exec: return "exec";
    case BreakKind::read: return "read";
    case BreakKind::write: return "write";
    case BreakKind::in: return "in";
    case BreakKind::out: return "out";
    case BreakKind::vdpRegister: return "vdp_register";
    case BreakKind::interrupt: return "interrupt";
    }
    return "?";
}

std::optional<BreakKind> parseBreakKind(std::string_view name)
{
    for (BreakKind kind : {BreakKind::exec, BreakKind::read, BreakKind::write, BreakKind::in, BreakKind::out,
                           BreakKind::vdpRegister, BreakKind::interrupt})
        if (name == breakKindName(kind))
            return kind;
    return std::nullopt;
}

namespace {

bool compareValues(Condition::Compare compare, uint16_t actual, uint16_t value)
{
    switch (compare) {
    case Condition::Compare::equal: return actual == value;
    case Condition::Compare::notEqual: return actual != value;
    case Condition::Compare::less: return actual < value;
    case Condition::Compare::greater: return actual > value;
    case Condition::Compare::lessOrEqual: return actual <= value;
    case Condition::Compare::greaterOrEqual: return actual >= value;
    }
    return false;
}

const char* compareText(Condition::Compare compare)
{
    for (const CompareName& c : compareNames)
        if (c.compare == compare)
            return c.text;
    return "==";
}

struct FlagName {
    const char* name;
    uint8_t mask;
    const char* shown;
};

// C and H are registers: their flags go by CF and HF.
constexpr FlagName flagNames[] = {
    {"Z", 0x40, "Z"},  {"ZF", 0x40, "Z"}, {"S", 0x80, "S"},  {"SF", 0x80, "S"},  {"N", 0x02, "N"},
    {"NF", 0x02, "N"}, {"P", 0x04, "PV"}, {"V", 0x04, "PV"}, {"PV", 0x04, "PV"}, {"PF", 0x04, "PV"},
    {"VF", 0x04, "PV"}, {"CF", 0x01, "CF"}, {"HF", 0x10, "HF"},
};

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Reads one comparison; the error says what is wrong with it.
std::optional<Condition::Term> parseTerm(std::string_view text, const Symbols* symbols, std::string& error)
{
    text = trimmed(text);
    Condition::Term term;
    uint16_t maximum = 0xFF;
    std::string_view rest;
    if (!text.empty() && text[0] == '(') {
        const size_t close = text.find(')');
        if (close == std::string_view::npos) {
            error = "a memory byte is written (HL), (IX+5) or (0x8000): ')' is missing";
            return std::nullopt;
        }
        const std::string_view inside = trimmed(text.substr(1, close - 1));
        rest = trimmed(text.substr(close + 1));
        // A register, maybe with an offset: (HL), (IX+5), (IY-2).
        size_t nameEnd = 0;
        while (nameEnd < inside.size() && std::isalpha(static_cast<unsigned char>(inside[nameEnd])))
            ++nameEnd;
        const std::string name = upper(inside.substr(0, nameEnd));
        const RegisterInfo* reg = nameEnd > 0 ? findCpuRegister(name) : nullptr;
        const std::string_view after = trimmed(inside.substr(nameEnd));
        if (reg && reg->wide() && reg->inConditions && (after.empty() || after[0] == '+' || after[0] == '-')) {
            int32_t offset = 0;
            if (!after.empty()) {
                const std::optional<uint32_t> n = parseNumber(trimmed(after.substr(1)));
                if (!n || *n > 0xFFFF) {
                    error = "'" + std::string(after) + "' after " + name + " is not an offset";
                    return std::nullopt;
                }
                offset = after[0] == '-' ? -int32_t(*n) : int32_t(*n);
            }
            term.kind = Condition::Term::Kind::memoryVia;
            term.reg = reg->id;
            term.address = uint16_t(offset);
        } else {
            const AddressText where = readAddressText(inside, symbols);
            if (!where.value || *where.value > 0xFFFF) {
                // Appended rather than "'" + std::string(...): gcc 12 warns falsely of an overlap there.
                error = where.value ? std::string("'").append(inside).append("' is past 0xFFFF") : where.error;
                return std::nullopt;
            }
            term.kind = Condition::Term::Kind::memoryAt;
            term.address = uint16_t(*where.value);
        }
    } else {
        size_t nameEnd = 0;
        while (nameEnd < text.size() && std::isalpha(static_cast<unsigned char>(text[nameEnd])))
            ++nameEnd;
        const std::string name = upper(text.substr(0, nameEnd));
        rest = trimmed(text.substr(nameEnd));
        const RegisterInfo* reg = findCpuRegister(name);
        if (reg && reg->inConditions) {
            term.kind = Condition::Term::Kind::reg;
            term.reg = reg->id;
            maximum = reg->maximum;
        } else {
            const FlagName* flag = nullptr;
            for (const FlagName& f : flagNames)
                if (name == f.name)
                    flag = &f;
            if (!flag) {
                error = name.empty() ? "a condition compares a register, a flag or a memory byte, e.g. A == 0x10"
                                     : "unknown register or flag '" + name + "'";
                return std::nullopt;
            }
            term.kind = Condition::Term::Kind::flag;
            term.flagMask = flag->mask;
            maximum = 1;
        }
    }
    const CompareName* compare = nullptr;
    for (const CompareName& c : compareNames)
        if (rest.substr(0, std::char_traits<char>::length(c.text)) == c.text) {
            compare = &c;
            break;
        }
    if (!compare) {
        error = "after '" + std::string(trimmed(text.substr(0, text.size() - rest.size()))) +
                "' comes ==, !=, <, >, <= or >=";
        return std::nullopt;
    }
    const std::string_view number = trimmed(rest.substr(std::char_traits<char>::length(compare->text)));
    const AddressText value = readAddressText(number, symbols);
    if (!value.value) {
        error = isValidSymbolName(number) ? value.error : "'" + std::string(number) + "' is not a number";
        return std::nullopt;
    }
    if (*value.value > maximum) {
        error = "'" + std::string(number) + "' does not fit " +
                (maximum == 1 ? std::string("a flag (0 or 1)")
                              : maximum == 0xFF ? std::string("8 bits") : std::string("16 bits"));
        return std::nullopt;
    }
    term.compare = compare->compare;
    term.value = uint16_t(*value.value);
    return term;
}

} // namespace

bool Condition::Term::holds(const Z80State& cpu, const MemoryPages* memory) const
{
    uint16_t actual = 0;
    switch (kind) {
    case Kind::reg: actual = readCpuRegister(cpu, reg); break;
    case Kind::flag: actual = (cpu.F & flagMask) != 0; break;
    case Kind::memoryAt: actual = memory ? memRead(*memory, address) : 0; break;
    case Kind::memoryVia:
        actual = memory ? memRead(*memory, uint16_t(readCpuRegister(cpu, reg) + address)) : 0;
        break;
    }
    return compareValues(compare, actual, value);
}

std::string Condition::Term::text() const
{
    char out[48];
    switch (kind) {
    case Kind::reg: {
        const RegisterInfo& info = registerInfo(reg);
        std::snprintf(out, sizeof out, info.wide() ? "%s %s $%04X" : "%s %s $%02X", info.name, compareText(compare),
                      unsigned(value));
        break;
    }
    case Kind::flag: {
        const char* name = "?";
        for (const FlagName& f : flagNames)
            if (f.mask == flagMask) {
                name = f.shown;
                break;
            }
        std::snprintf(out, sizeof out, "%s %s %u", name, compareText(compare), unsigned(value));
        break;
    }
    case Kind::memoryAt:
        std::snprintf(out, sizeof out, "($%04X) %s $%02X", unsigned(address), compareText(compare), unsigned(value));
        break;
    case Kind::memoryVia: {
        const int16_t offset = int16_t(address);
        char inside[16];
        if (offset == 0)
            std::snprintf(inside, sizeof inside, "%s", registerInfo(reg).name);
        else
            std::snprintf(inside, sizeof inside, "%s%c%d", registerInfo(reg).name, offset < 0 ? '-' : '+',
                          offset < 0 ? -int(offset) : int(offset));
        std::snprintf(out, sizeof out, "(%s) %s $%02X", inside, compareText(compare), unsigned(value));
        break;
    }
    }
    return out;
}

bool Condition::holds(const Z80State& cpu, const MemoryPages* memory) const
{
    for (const std::vector<Term>& group : anyOf) {
        bool all = true;
        for (const Term& term : group)
            if (!term.holds(cpu, memory)) {
                all = false;
                break;
            }
        if (all)
            return true;
    }
    return false;
}

std::string Condition::text() const
{
    std::string out;
    for (const std::vector<Term>& group : anyOf) {
        if (!out.empty())
            out += " || ";
        for (size_t i = 0; i < group.size(); ++i)
            out += (i ? " && " : "") + group[i].text();
    }
    return out;
}

ConditionParse parseCondition(std::string_view text, const Symbols* symbols)
{
    Condition condition;
    std::string_view rest = trimmed(text);
    if (rest.empty())
        return {std::nullopt, "a condition compares a register, a flag or a memory byte, e.g. A == 0x10"};
    // || splits groups, && splits the terms of a group.
    while (true) {
        const size_t orAt = rest.find("||");
        std::string_view group = rest.substr(0, orAt);
        std::vector<Condition::Term> terms;
        while (true) {
            const size_t andAt = group.find("&&");
            std::string error;
            const std::optional<Condition::Term> term = parseTerm(group.substr(0, andAt), symbols, error);
            if (!term)
                return {std::nullopt, error};
            terms.push_back(*term);
            if (andAt == std::string_view::npos)
                break;
            group = group.substr(andAt + 2);
        }
        condition.anyOf.push_back(std::move(terms));
        if (orAt == std::string_view::npos)
            break;
        rest = rest.substr(orAt + 2);
    }
    return {condition, {}};
}

std::string Breakpoint::describe() const
{
    char text[40];
    switch (kind) {
    case BreakKind::exec: std::snprintf(text, sizeof text, "exec $%04X", unsigned(first)); break;
    case BreakKind::read:
    case BreakKind::write:
        if (last != first)
            std::snprintf(text, sizeof text, "%s $%04X-$%04X", breakKindName(kind), unsigned(first), unsigned(last));
        else
            std::snprintf(text, sizeof text, "%s $%04X", breakKindName(kind), unsigned(first));
        break;
    case BreakKind::in:
    case BreakKind::out: std::snprintf(text, sizeof text, "%s port $%02X", breakKindName(kind), unsigned(first)); break;
    case BreakKind::vdpRegister: std::snprintf(text, sizeof text, "vdp_register %u", unsigned(first)); break;
    case BreakKind::interrupt: std::snprintf(text, sizeof text, "interrupt channel %u", unsigned(first)); break;
    }
    std::string described = text;
    if (condition)
        described.append(" if ").append(condition->text());
    return described;
}

Breakpoints::Added Breakpoints::add(BreakKind kind, uint16_t first, uint16_t last, std::optional<Condition> condition)
{
    const bool range = kind == BreakKind::read || kind == BreakKind::write;
    if (!range)
        last = first;
    if (range && last < first)
        return {0, "the range ends before it starts"};
    if ((kind == BreakKind::in || kind == BreakKind::out) && first > 0xFF)
        return {0, "a port is 0-255"};
    if (kind == BreakKind::vdpRegister && first > 7)
        return {0, "the video chip has registers 0-7"};
    if (kind == BreakKind::interrupt && first > 3)
        return {0, "the counter/timer has channels 0-3"};
    const std::string conditionText = condition ? condition->text() : std::string();
    for (const Breakpoint& b : list_)
        if (b.kind == kind && b.first == first && b.last == last &&
            (b.condition ? b.condition->text() : std::string()) == conditionText)
            return {0, "the same as breakpoint " + std::to_string(b.id) +
                           (b.enabled ? "" : " (disabled: enable it instead)")};
    Breakpoint breakpoint;
    breakpoint.id = nextId_++;
    breakpoint.kind = kind;
    breakpoint.first = first;
    breakpoint.last = last;
    breakpoint.condition = condition;
    list_.push_back(breakpoint);
    rebuild();
    return {breakpoint.id, {}};
}

bool Breakpoints::remove(int id)
{
    for (auto it = list_.begin(); it != list_.end(); ++it)
        if (it->id == id) {
            list_.erase(it);
            rebuild();
            return true;
        }
    return false;
}

bool Breakpoints::setEnabled(int id, bool enabled)
{
    for (Breakpoint& breakpoint : list_)
        if (breakpoint.id == id) {
            breakpoint.enabled = enabled;
            rebuild();
            return true;
        }
    return false;
}

const Breakpoint* Breakpoints::find(int id) const
{
    for (const Breakpoint& breakpoint : list_)
        if (breakpoint.id == id)
            return &breakpoint;
    return nullptr;
}

void Breakpoints::rebuild()
{
    exec_.reset();
    read_.reset();
    write_.reset();
    in_.reset();
    out_.reset();
    vdp_ = interrupts_ = 0;
    armed_ = anyRead_ = anyWrite_ = false;
    onlyExec_ = true;
    for (const Breakpoint& b : list_) {
        if (!b.enabled)
            continue;
        armed_ = true;
        if (b.kind != BreakKind::exec)
            onlyExec_ = false;
        switch (b.kind) {
        case BreakKind::exec: exec_.set(b.first); break;
        case BreakKind::read:
            anyRead_ = true;
            for (unsigned a = b.first; a <= b.last; ++a)
                read_.set(a);
            break;
        case BreakKind::write:
            anyWrite_ = true;
            for (unsigned a = b.first; a <= b.last; ++a)
                write_.set(a);
            break;
        case BreakKind::in: in_.set(b.first); break;
        case BreakKind::out: out_.set(b.first); break;
        case BreakKind::vdpRegister: vdp_ = uint8_t(vdp_ | 1u << b.first); break;
        case BreakKind::interrupt: interrupts_ = uint8_t(interrupts_ | 1u << b.first); break;
        }
    }
}

size_t Breakpoints::clear()
{
    const size_t count = list_.size();
    list_.clear();
    rebuild();
    return count;
}

int Breakpoints::hit(BreakKind kind, uint16_t value, const Z80State& cpu, const MemoryPages* memory)
{
    int fired = 0;
    for (Breakpoint& b : list_) {
        if (!b.enabled || b.kind != kind || value < b.first || value > b.last)
            continue;
        ++b.hits;
        if (!fired && (!b.condition || b.condition->holds(cpu, memory)))
            fired = b.id;
    }
    return fired;
}

std::vector<uint64_t> Breakpoints::hitCounts() const
{
    std::vector<uint64_t> counts;
    for (const Breakpoint& b : list_)
        counts.push_back(b.hits);
    return counts;
}

void Breakpoints::restoreHitCounts(const std::vector<uint64_t>& counts)
{
    for (size_t i = 0; i < list_.size() && i < counts.size(); ++i)
        list_[i].hits = counts[i];
}

} // namespace ollendor
