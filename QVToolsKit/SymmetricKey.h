#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace QVToolsKit {

// The bytes of a symmetric key. AES takes 16, 24 or 32 of them; a key of another size is kept as it
// is and refused by the cipher that is given it.
class QVTOOLSKIT_EXPORT SymmetricKey {
public:
    explicit SymmetricKey(std::vector<std::uint8_t> data) : data_(std::move(data)) {}

    const std::vector<std::uint8_t>& data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

} // namespace QVToolsKit
