#pragma once
// Time limits in tests guard against accidental quadratic work; sanitizer
// builds run several times slower, so their limits are scaled.
#ifdef PW_SANITIZE_BUILD
constexpr double kTimeLimitScale = 20.0;
#else
constexpr double kTimeLimitScale = 1.0;
#endif
