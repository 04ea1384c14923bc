// What the tool files share: building schemas and results, reading validated arguments,
// and running a job on the loop's thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "automation/tools.h"

namespace ollendor::tool {

// --- input schemas -------------------------------------------------------------------
using Property = std::pair<const char*, Json>;
Json object(std::initializer_list<Property> properties, std::initializer_list<const char*> required = {});
Json integer(int64_t minimum, int64_t maximum, const std::string& description);
Json text(const std::string& description, size_t maxLength, size_t minLength = 0);
Json choice(std::initializer_list<const char*> values, const std::string& description);
Json choice(const std::vector<std::string>& values, const std::string& description);
Json flag(const std::string& description);
Json list(Json items, size_t minItems, size_t maxItems, const std::string& description);
// An address: a JSON number, or text read before the tool sees it (callTool turns it into
// the number): 0x8000, $8000, 8000h, decimal digits, a symbol with an optional +N.
Json address(const std::string& description = "address, 0-65535 (0x0000-0xFFFF)");
Json addressIn(int64_t maximum, const std::string& description);
bool isAddressSchema(const Json& schema);

// --- output schemas ------------------------------------------------------------------
// An object of exactly these properties, every one required.
Json output(std::initializer_list<Property> properties);
// From an object of property schemas by name (a schema made from the data it describes).
Json output(const Json& properties);

// The fields of a result object, defined once: the output schema is made from them, and
// every result is filled through them, so the two cannot name or type a field apart.
//   const Shape removedShape{{"removed", outInteger()}};
//   tool.outputSchema = removedShape.schema();   ...   removedShape({{"removed", id}})
class Shape {
public:
    Shape(std::initializer_list<Property> fields);
    // An object of exactly these fields, every one required (as output() makes it).
    const Json& schema() const { return schema_; }
    // The object with these values: each field once, nothing else, each of its field's
    // type. Anything else is a fault in the tool: std::logic_error naming the field, which
    // callTool answers as an internal error.
    Json operator()(std::initializer_list<Property> values) const;

private:
    Json schema_;
};
// Whether the value is of the type the schema names (its "type"; for an array, its items'
// too). A schema without "type" takes anything.
bool fitsType(const Json& schema, const Json& value);
Json outInteger();
Json outString();
Json outBoolean();
Json outArray(Json items);
Json outNullable(const char* type);

// --- results -------------------------------------------------------------------------
// The text is a short account; the structured result follows it as JSON in the same text,
// so a client that passes on only the text passes on the whole result.
ToolResult success(Json structured, const std::string& text);
ToolResult successText(const std::string& text);
ToolResult failure(const std::string& message);

// --- arguments (already checked against the schema) ----------------------------------
int64_t number(const Json& arguments, const char* name, int64_t otherwise);
bool has(const Json& arguments, const char* name);
std::string string(const Json& arguments, const char* name);
// A file path argument; false, with the reason, when it is not usable as one (it holds
// a NUL character, which would name another file than the one given).
bool pathArgument(const Json& arguments, const char* name, std::filesystem::path& path, std::string& error);

// --- the machine ---------------------------------------------------------------------
// Runs `job` on the loop's thread, then `answer` here with what the job gave back (with
// nothing when it gives back nothing): the loop is held only for the reading or the change,
// and the result is built after. When the emulator is gone, the failure saying so.
//   return onMachine(machine, [](Control& c) { return c.machine().cpu; },
//                    [](const Z80State& cpu) { return success(...); });
template <class Job, class Answer>
    requires std::is_invocable_v<Job&, Control&>
ToolResult onMachine(MachineAccess& machine, Job&& job, Answer&& answer)
{
    using Got = std::invoke_result_t<Job&, Control&>;
    std::string error;
    if constexpr (std::is_void_v<Got>) {
        if (!machine.run([&](Control& control) { job(control); }, error))
            return failure(error);
        return answer();
    } else {
        std::optional<Got> got;
        if (!machine.run([&](Control& control) { got.emplace(job(control)); }, error))
            return failure(error);
        return answer(std::move(*got));
    }
}

// "$0AAE".
std::string hex4(unsigned value);
std::string hex2(unsigned value);

} // namespace ollendor::tool
