// The 80-bit extended format's arithmetic, whatever long double is on the machine: a 64-bit
// significand, the exponent range of 2^-16382 to 2^16383, denormals down to 2^-16445, rounding
// to nearest with ties to even. On x86-64 long double is that format, and these are its
// operators and the C library's functions. Where long double is wider (IEEE binary128, as in
// WebAssembly), each operation is worked out in the wider format together with the sign of what
// that left over, and rounded once to the extended format: the bits an x87 gives, so the
// formatted numbers are the same in every build.
//
// The operands are values of the extended format. Faults are not raised here: an overflow is an
// infinity, an invalid operation a NaN, as from the hardware; numbers.cpp tests for them.
#pragma once

namespace rivo::expr::extended {

// The value as the extended format holds it: itself where long double is that format.
long double Round(long double value);

// Rounded correctly, as the x87 does.
long double Add(long double a, long double b);
long double Subtract(long double a, long double b);
long double Multiply(long double a, long double b);
long double Divide(long double dividend, long double divisor);
long double SquareRoot(long double a);

// The C library's functions in the extended format. Where long double is wider, the result is
// the wider library's (sine, cosine) or a 128-bit exact computation's (the exponential; the
// WebAssembly C library has none in full precision) rounded once to the extended format: the
// correctly rounded value but for a tie the wider result cannot settle, about one argument in
// 2^49. The desktop's x87 library is not always correctly rounded (its last bit differs for some
// 2 % of sine and cosine arguments and, by the range, 0.1 % to 10 % of exponential ones), so for
// about one argument in a million the 15 digits of a folded sin, cos or exp differ between the
// builds.
long double Sine(long double radians);
long double Cosine(long double radians);
long double Exponential(long double a);

}  // namespace rivo::expr::extended
