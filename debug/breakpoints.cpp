#include "debug/breakpoints.h"

#include <cctype>
#include <cstdio>

#include "debug/numbers.h"
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

bool Condition::holds(const Z80State& cpu) const
{
    const uint16_t actual = readCpuRegister(cpu, reg);
    switch (compare) {
    case Compare::equal: return actual == value;
    case Compare::notEqual: return actual != value;
    case Compare::less: return actual < value;
    case Compare::greater: return actual > value;
    case Compare::lessOrEqual: return actual <= value;
    case Compare::greaterOrEqual: return actual >= value;
    }
    return false;
}

std::string Condition::text() const
{
    const char* name = registerInfo(reg).name;
    const bool wide = registerInfo(reg).wide();
    const char* op = "==";
    for (const CompareName& c : compareNames)
        if (c.compare == compare) {
            op = c.text;
            break;
        }
    char text[24];
    std::snprintf(text, sizeof text, wide ? "%s %s $%04X" : "%s %s $%02X", name, op, unsigned(value));
    return text;
}

ConditionParse parseCondition(std::string_view text)
{
    text = trimmed(text);
    size_t nameEnd = 0;
    while (nameEnd < text.size() && std::isalpha(static_cast<unsigned char>(text[nameEnd])))
        ++nameEnd;
    std::string name(text.substr(0, nameEnd));
    for (char& c : name)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    const RegisterInfo* reg = findCpuRegister(name);
    if (reg && !reg->inConditions)
        reg = nullptr;
    if (!reg)
        return {std::nullopt, name.empty() ? std::string("a condition starts with a register, e.g. A == 0x10")
                                           : std::string("unknown register '").append(name).append("'")};
    std::string_view rest = trimmed(text.substr(nameEnd));
    const CompareName* compare = nullptr;
    for (const CompareName& c : compareNames)
        if (rest.substr(0, std::char_traits<char>::length(c.text)) == c.text) {
            compare = &c;
            break;
        }
    if (!compare)
        return {std::nullopt, "after the register comes ==, !=, <, >, <= or >="};
    const std::string_view number = trimmed(rest.substr(std::char_traits<char>::length(compare->text)));
    const std::optional<uint32_t> value = parseNumber(number);
    if (!value)
        return {std::nullopt, std::string("'").append(number).append("' is not a number")};
    if (*value > reg->maximum)
        return {std::nullopt, std::string(reg->name)
                                  .append(reg->wide() ? " holds 16 bits; " : " holds 8 bits; ")
                                  .append(number)
                                  .append(" does not fit")};
    Condition condition;
    condition.reg = reg->id;
    condition.compare = compare->compare;
    condition.value = uint16_t(*value);
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

int Breakpoints::hit(BreakKind kind, uint16_t value, const Z80State& cpu)
{
    int fired = 0;
    for (Breakpoint& b : list_) {
        if (!b.enabled || b.kind != kind || value < b.first || value > b.last)
            continue;
        ++b.hits;
        if (!fired && (!b.condition || b.condition->holds(cpu)))
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
