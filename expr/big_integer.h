// The exact non-negative integers behind the digits of a formatted number, and only the few
// operations those digits need. GMP does the work where the build has it (the desktop); the
// WebAssembly build has no GMP and uses Boost.Multiprecision's cpp_int, header-only. Both give
// the same integers, so the digits are the same; only the speed differs. Used by numbers.cpp
// alone: RIVO_WITH_GMP is set on that library, not on its users.
#pragma once

#include <cstdint>

#if RIVO_WITH_GMP
#include <gmp.h>
#else
#include <boost/multiprecision/cpp_int.hpp>
#endif

namespace rivo::expr {

#if RIVO_WITH_GMP

// mpz_t, released with its scope. An unsigned long is 64 bits wherever GMP is used.
class BigInteger {
  public:
    BigInteger() { mpz_init(value_); }
    BigInteger(const BigInteger&) = delete;
    BigInteger& operator=(const BigInteger&) = delete;
    ~BigInteger() { mpz_clear(value_); }

    void Set(std::uint64_t word) { mpz_set_ui(value_, word); }
    void SetPower(std::uint64_t base, std::uint64_t exponent) {
        mpz_ui_pow_ui(value_, base, exponent);
    }
    void SetProduct(const BigInteger& factor, std::uint64_t word) {
        mpz_mul_ui(value_, factor.value_, word);
    }
    void Multiply(std::uint64_t word) { mpz_mul_ui(value_, value_, word); }
    void ShiftLeft(std::uint64_t bits) { mpz_mul_2exp(value_, value_, bits); }
    // The quotients round down.
    void ShiftRight(std::uint64_t bits) { mpz_fdiv_q_2exp(value_, value_, bits); }
    void Divide(const BigInteger& divisor) { mpz_fdiv_q(value_, value_, divisor.value_); }
    void Divide(std::uint64_t divisor) { mpz_fdiv_q_ui(value_, value_, divisor); }
    bool IsBelow(std::uint64_t word) const { return mpz_cmp_ui(value_, word) < 0; }
    // The value, which must fit a word.
    std::uint64_t Word() const { return mpz_get_ui(value_); }

  private:
    mpz_t value_;
};

#else

class BigInteger {
  public:
    void Set(std::uint64_t word) { value_ = word; }
    void SetPower(std::uint64_t base, std::uint64_t exponent) {
        value_ = boost::multiprecision::pow(Integer(base), static_cast<unsigned>(exponent));
    }
    void SetProduct(const BigInteger& factor, std::uint64_t word) { value_ = factor.value_ * word; }
    void Multiply(std::uint64_t word) { value_ *= word; }
    void ShiftLeft(std::uint64_t bits) { value_ <<= bits; }
    // The quotients round down: on non-negative integers, truncation is the floor.
    void ShiftRight(std::uint64_t bits) { value_ >>= bits; }
    void Divide(const BigInteger& divisor) { value_ /= divisor.value_; }
    void Divide(std::uint64_t divisor) { value_ /= divisor; }
    bool IsBelow(std::uint64_t word) const { return value_ < word; }
    // The value, which must fit a word.
    std::uint64_t Word() const { return static_cast<std::uint64_t>(value_); }

  private:
    using Integer = boost::multiprecision::cpp_int;
    Integer value_;
};

#endif

}  // namespace rivo::expr
