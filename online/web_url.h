#pragma once
// Which links from the settings document may be handed to the desktop to open. The download and
// support links come from the network: only a web page is opened, never a file: link, a script
// or a custom scheme that could start a local program.
//
//   isWebUrl(url)         true for http:// or https:// with a host and no blank or control byte
//   printableUrl(url)     the URL for a log line: control bytes shown as \xNN, so it stays one line
#include <string>
#include <string_view>

namespace kestrel {

bool isWebUrl(std::string_view url);
std::string printableUrl(std::string_view url);

}  // namespace kestrel
