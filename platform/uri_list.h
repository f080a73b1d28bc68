#pragma once

#include <string>
#include <string_view>
#include <vector>

// The local files named by the text of a drop: a text/uri-list (RFC 2483: one URI a line,
// CR LF or LF between them, '#' lines are comments), with file:// URIs of this machine decoded
// (%XX escapes), or plain absolute paths one a line as some toolkits hand them on. Entries that
// name no local file (other schemes, other hosts, relative or malformed) are left out.
std::vector<std::string> localFilesFromUriList(std::string_view text);

// The path of a file:// URI of this machine ("file:///p", "file://localhost/p",
// "file://HOST/p" with HOST this machine's name); false for anything else.
bool localPathFromFileUri(std::string_view uri, std::string& path);
