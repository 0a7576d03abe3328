#pragma once

#include <map>
#include <string>
#include <vector>

// Plays media files in headless Chromium (Debian's `chromium`), one after another in a <video> or
// <audio> element of a local page, and returns for each file's name what the page saw: "ended",
// "error<code>", "timeout" or "play:<reason>". Bounded: the browser is ended after at most
// `limitSeconds`, and files without an answer by then are missing from the result.
std::map<std::string, std::string> PlayInBrowser(const std::vector<std::string>& files, int limitSeconds);
