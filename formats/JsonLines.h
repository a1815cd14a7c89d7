#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/win32.h"

// JSON Lines (one JSON value per line) through nlohmann-json, which does all the escaping. A record
// keeps its keys in the order they were set; its numbers are 64-bit integers and floats, a float
// written with the fewest digits that read back as the same float (0.033333, not 0.0333329997), and
// null when it is not finite.
using JsonRecord = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t,
                                        std::uint64_t, float>;

// The record as one line with its LF. Never throws: text that is not UTF-8 (a joint name in Latin-1,
// say) has U+FFFD for each byte that is not.
std::string jsonLine(const JsonRecord& record);

// Sets record[key] to a path: bytes, its text as the program's other outputs write it. A name the file
// system holds that has no exact UTF-8 form (on Linux, bytes that are not UTF-8, which the platform
// holds as U+DC80..U+DCFF; on Windows, an unpaired surrogate) is not lost: key has U+FFFD where it
// cannot be spelt, and key + "_utf16" holds the path's UTF-16 code units as numbers, from which it
// can be rebuilt exactly.
void setPath(JsonRecord& record, const std::string& key, LPCWSTR path, const std::string& bytes);
