#pragma once
#include <string>

namespace pellaro {

// Overwrites every byte with zero in a way the optimiser keeps, then empties the string.
inline void SecureWipe(std::string& secret) {
    volatile char* p = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i) p[i] = 0;
    secret.clear();
    secret.shrink_to_fit();
}

}  // namespace pellaro
