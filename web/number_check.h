// The number check that the web tests run through both builds, the desktop's and the
// WebAssembly one: each line names an operation of the numbers module on one or two operands,
// or an expression for the whole pipeline, and is answered with the formatted number and the
// exact bits of the result, or the error's text. Equal answers mean equal digits on the page.
#pragma once

#include <string>
#include <string_view>

namespace rivo::web {

// One request, fields apart by tabs:
//   OP X [Y]   OP one of + - * / sqrt sin cos exp fmt; an operand is a label, read by
//              ParseNumber as the pipeline reads it, or "#" then a signed value m * 2^e as
//              "<hex m>p<decimal e>", any value of the extended format ("#-8000000000000001p-63")
//   tree TEXT  the expression's tree after the passes (rivo-cli tree)
//   sep C      sets the decimal separator for the lines after it
// Answer: "<formatted>\t<bits>" (bits: sign, the 64-bit significand in hex, "p" and the binary
// exponent of the value as m * 2^e, with "+rest" if the value has more than 64 significant
// bits), "tree\t<tree>", "sep\t<separator>", or "error\t<message>".
std::string CheckNumber(std::string_view request);

// CheckNumber of every line of the text, each answer on a line of its own.
std::string CheckNumbers(std::string_view requests);

}  // namespace rivo::web
