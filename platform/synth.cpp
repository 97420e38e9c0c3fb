#include "platform/synth.h"

#include <unistd.h>

void SendShortMidiMessage(CSynth& synth, DWORD dwMessage) {
    const int nStatus = static_cast<int>(dwMessage & 0xFF);
    const int nData1 = static_cast<int>((dwMessage >> 8) & 0x7F);
    const int nData2 = static_cast<int>((dwMessage >> 16) & 0x7F);
    if (nStatus < 0x80 || nStatus >= 0xF0) return;
    const int nChannel = nStatus & 0x0F;
    switch (nStatus & 0xF0) {
        case 0x80: synth.NoteOff(nChannel, nData1); break;
        case 0x90:
            if (nData2 == 0)
                synth.NoteOff(nChannel, nData1);
            else
                synth.NoteOn(nChannel, nData1, nData2);
            break;
        case 0xA0: synth.KeyPressure(nChannel, nData1, nData2); break;
        case 0xB0: synth.ControlChange(nChannel, nData1, nData2); break;
        case 0xC0: synth.ProgramChange(nChannel, nData1); break;
        case 0xD0: synth.ChannelPressure(nChannel, nData1); break;
        case 0xE0: synth.PitchBend(nChannel, nData1 | (nData2 << 7)); break;
        default: break;
    }
}

std::vector<std::string> SoundFontNames() { return {"default-GM.sf2", "FluidR3_GM.sf2", "TimGM6mb.sf2"}; }

std::vector<std::string> SoundFontDirs() { return {"/usr/share/sounds/sf2", "/usr/share/soundfonts"}; }

std::string FindSoundFont(const std::vector<std::string>& dirs) {
    for (const std::string& strName : SoundFontNames()) {
        for (const std::string& strDir : dirs) {
            std::string strPath = strDir + "/" + strName;
            // access() follows links, so a dangling alternatives link is passed over.
            if (::access(strPath.c_str(), R_OK) == 0) return strPath;
        }
    }
    return std::string();
}
