// Checks a tool's arguments against its input schema before the tool sees them, so every
// tool gets only what its schema promises and every client gets the same kind of answer
// when it sends something else ("'address' must be from 0 to 65535, not 70000").
//
// The schemas use a small part of JSON Schema, and this checks all of it: an object with
// "properties", "required" and "additionalProperties": false; properties of type
// "integer" (minimum, maximum), "string" (enum, minLength, maxLength), "boolean", and
// "array" (items of one of those, minItems, maxItems).
#pragma once

#include <string>

#include "automation/json_rpc.h"

namespace ollendor {

// Empty when the arguments fit; else what is wrong, for the client.
std::string checkArguments(const Json& schema, const Json& arguments);

} // namespace ollendor
