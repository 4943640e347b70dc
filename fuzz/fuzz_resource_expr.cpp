// LIBS: qm_visa
// Resource search expressions and descriptors from outside: the input is a
// pattern, a line feed, and a candidate descriptor.
#include <cstddef>
#include <cstdint>
#include <string_view>

#ifndef QM_SYSTEM_VISA  // a vendor VISA brings its own parser
#include "visa/ResourceExpression.h"
#include "visa/ResourceName.h"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#ifndef QM_SYSTEM_VISA
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nl = input.find('\n');
    const std::string_view pattern = input.substr(0, nl);
    const std::string_view candidate =
        nl == std::string_view::npos ? std::string_view{} : input.substr(nl + 1);
    if (const auto expr = qm::visa::ResourceExpression::parse(pattern)) {
        (void)expr->matches(candidate);
        (void)expr->matches(pattern);
    }
    (void)qm::visa::parseResourceName(candidate);
#else
    (void)data;
    (void)size;
#endif
    return 0;
}
