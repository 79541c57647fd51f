// Numbers of the rewriting passes: the decimal separator in force, the conversion of a label to
// a value, the formatted number written back into a label, and the arithmetic in between.
//
// The separator is one plain global of this module (not thread_local): the pipeline runs on one
// thread, and the window, rivo-cli and the tests set it before a run and never during one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rivo::expr {

// The separator in force; '.' until it is set.
char DecimalSeparator();
// Used at start-up, by --separator, by the window on a locale change, and by tests.
void SetDecimalSeparator(char separator);
// The separator of the user's locale (LC_NUMERIC from the environment, through the C library,
// without touching the process locale); '.' when the locale is unknown or gives none, or gives
// one of more than one byte.
char LocaleDecimalSeparator();

// The number test of the listing and the rewriting passes, a test of the text alone: after
// taking out the first "E-" and then the first "E+", only digits, "." and "," remain, with at
// most a leading "-" before more. It is loose on purpose ("1.2.3" and the empty text pass);
// ParseNumber decides what the text is worth.
bool IsNumber(std::string_view text);

// The locale-aware conversion: optional spaces, an optional sign, digits with at most one
// decimal separator (at least one digit), an optional exponent "E" or "e" with an optional sign
// and at least one digit, optional spaces, nothing else. The value is rounded to double.
// Throws PipelineError "'<label>' is not a valid floating point value" for any other text, and
// "Floating point overflow" for a value beyond the double range (underflow rounds towards 0).
long double ParseNumber(std::string_view label);

// The general format with 15 significant digits, rounded half up from the exact value (of the
// value as the 80-bit extended format holds it, where long double is wider), fixed
// notation for decimal exponents -3 to 15 and scientific ("1E15", "1.5E-7") outside, with
// DecimalSeparator(). Zero, also a negative zero, is "0". (No arithmetic below yields an
// infinity or a NaN; they would be written "INF", "-INF" and "NAN".)
std::string FormatNumber(long double value);

// What FormatNumber(value) costs, in the work steps of the tree's budget (a step is some
// 20 ns): one near 1, up to 33 for a value near either end of the extended range, whose
// leading digits come from exact integers of up to some 28,000 bits.
std::size_t FormatWork(long double value);

// Arithmetic in the 80-bit extended format. The floating-point faults are found by testing the
// operands and results, never by trapping, and raised as PipelineError with these texts:
// "Floating point division by zero", "Invalid floating point operation",
// "Floating point overflow".
long double Sum(long double a, long double b);
long double Difference(long double a, long double b);
long double Product(long double a, long double b);
long double Quotient(long double dividend, long double divisor);
long double SquareRootOfMagnitude(long double a);
// Sine and cosine of an argument of magnitude 2^63 or more are 0.
long double Sine(long double radians);
long double Cosine(long double radians);
long double Exponential(long double a);

}  // namespace rivo::expr
