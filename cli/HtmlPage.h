// Writes the exported web page: the page's own template, style and script
// (cli/page) with a content-security policy that allows only those two by
// their digests and no network at all, and the tables of PageData
// compressed (gzip, which the browser undoes itself) and in base64, inside
// an inert element that no name can leave: base64 has no "<".
#pragma once

#include "cli/Output.h"
#include "cli/PageData.h"

#include <string>

namespace cataloom::cli {

// The content-security policy of every page.
std::string PagePolicy();
// The gzip form of `bytes`; empty if the compressor fails.
std::string Gzip(const std::string& bytes);
// Writes the page holding `data` to `output`; false if compressing failed.
bool WriteHtmlPage(const PageData& data, Output& output);

}  // namespace cataloom::cli
