#pragma once

#include "profiles/OptionList.h"

// The user's current choice of output settings: the main window's output-type and profile lists,
// the Options dialog's eight option lists and its custom-profile list. Not saved between runs.
struct OptionSelection {
    OptionList cbbOutputFiletype;
    OptionList cbbProfile;
    OptionList cbbVideoSize;
    OptionList cbbVideoBitrate;
    OptionList cbbFramerate;
    OptionList cbbAspectratio;
    OptionList cbbAudioBitrate;
    OptionList cbbAudioSample;
    OptionList cbbAudioChannels;
    OptionList cbbAudioVolumeGain;
    OptionList cbbCustomProfile;
};
