#include "SendKit/protocol/StickInfo.h"

#include <algorithm>

std::optional<StickVolume> StickInfo::active() const {
    const auto found = std::find_if(volumes.begin(), volumes.end(),
                                    [](const StickVolume& v) { return v.isActive; });
    if (found == volumes.end())
        return std::nullopt;
    return *found;
}

bool StickInfo::hasUnsupportedCard() const {
    return std::any_of(volumes.begin(), volumes.end(), [](const StickVolume& volume) {
        return std::holds_alternative<StickVolume::Kind::SDCard>(volume.kind.value) &&
               volume.isUnsupported;
    });
}
