#pragma once

// Dropped text that names a file. Drag sources that offer only text/plain send the file's URI
// (or its path) as text; window systems that hand such a drop over as text leave the decoding to
// the program.

#include <optional>
#include <string>
#include <string_view>

// The local path in one line of dropped text:
//   file:///dir/a%20b.img, file://localhost/dir/a.img, file:/dir/a.img  ->  percent-decoded path
//   /dir/a.img                                                       ->  taken as it stands
// Blanks and line ends around the line are ignored. Anything else (another scheme, a file on
// another host, a relative name, an escape that decodes to a zero byte) names no local file.
std::optional<std::string> pathFromDropText(std::string_view line);

// The first line of dropped text that names a local file (lines end with LF or CR LF).
std::optional<std::string> firstPathInDropText(std::string_view text);
