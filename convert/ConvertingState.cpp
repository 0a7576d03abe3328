#include "convert/ConvertingState.h"

#include <algorithm>

void ProgressBarState::SetMaximum(int32_t value) {
    maximum = value;
    if (minimum > maximum)
        minimum = maximum;
    position = std::clamp(position, minimum, maximum);
}

void ProgressBarState::SetPosition(int32_t value) {
    position = std::clamp(value, minimum, std::max(minimum, maximum));
}
