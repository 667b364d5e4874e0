// The money procedures.
// Properties: a text is an amount exactly when the conversions succeed;
// an amount formats "#0.00" and parses back to itself rounded to the cent;
// the single conversion agrees with the currency one; any double formats
// without undefined behaviour and, inside the currency range, parses back
// within half a cent.

#include "FuzzSupport.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double kCurrencyMax = 922337203685477.5807;

// The amount rounded half away from zero to whole cents, in 1/10000.
bool roundToCents(std::int64_t scaled, std::int64_t *out) {
    const bool neg = scaled < 0;
    const std::uint64_t m = neg ? 0 - std::uint64_t(scaled) : std::uint64_t(scaled);
    const std::uint64_t cents = m / 100 + (m % 100 >= 50 ? 1 : 0);
    if (cents > std::uint64_t(std::numeric_limits<std::int64_t>::max()) / 100)
        return false;
    *out = neg ? -std::int64_t(cents * 100) : std::int64_t(cents * 100);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString text = platform::FromAnsi(bytes);

    const bool numeric = IsNumericAmount(text);
    bool converted = true;
    vb::Currency amount;
    try {
        amount = StrToCurrency(text);
        const float single = StrToSingle(text);
        FUZZ_CHECK(std::isfinite(single));
        FUZZ_CHECK(std::fabs(double(single) - amount.toDouble()) <= 1e-4 + std::fabs(amount.toDouble()) * 1e-6);
    } catch (const vb::VBError &e) {
        FUZZ_CHECK(e.Number() == vb::errTypeMismatch);
        converted = false;
    }
    FUZZ_CHECK(numeric == converted);
    if (converted) {
        const QString formatted = vb::Format00(amount);
        std::int64_t cents = 0;
        vb::Currency back;
        if (roundToCents(amount.scaled, &cents) && vb::ParseAmount(formatted, &back)) {
            FUZZ_CHECK(back.scaled == cents);
        } else {
            // Only the last half cent of the range rounds out of it.
            FUZZ_CHECK(std::fabs(amount.toDouble()) >= kCurrencyMax - 0.01);
        }
        // The pound sign's form reads the same.
        if (vb::ParseAmount(formatted, &back))
            FUZZ_CHECK(IsNumericAmount(PoundSign() + formatted) && StrToCurrency(PoundSign() + formatted) == back);
    }

    // The raw bytes as a double.
    if (size >= sizeof(double)) {
        double d;
        std::memcpy(&d, data, sizeof d);
        if (!std::isfinite(d)) {
            bool raised = false;
            try {
                vb::Format00(d);
            } catch (const vb::VBError &e) {
                raised = e.Number() == vb::errOverflow;
            }
            FUZZ_CHECK(raised);
        } else {
            const QString formatted = vb::Format00(d);
            vb::Currency back;
            if (std::fabs(d) < 9.0e13) {
                FUZZ_CHECK(vb::ParseAmount(formatted, &back));
                // Half a cent, plus the nudge that makes a value a hair below a
                // half cent (a single's 0.285, say) round as the half it stands for.
                FUZZ_CHECK(std::fabs(back.toDouble() - d) <= 0.005 + 1e-9 + std::fabs(d) * 1e-12);
            } else if (std::fabs(d) > 1e15) {
                FUZZ_CHECK(!vb::ParseAmount(formatted, &back));
            }
        }
    }
    return 0;
}
