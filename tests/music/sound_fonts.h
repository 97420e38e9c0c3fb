// The General MIDI sound fonts the music tests play our song through: each font Debian ships that we
// know, loaded by its own file name where it is installed, and the machine's default, loaded as the
// game loads it. What a test expects of a font comes from the font it really plays through, never
// from whichever font happens to be the machine's default.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <ostream>
#include <string>

#include "platform/audio_out.h"
#include "platform/headless.h"
#include "platform/synth.h"
#include "platform/winmm_midi_testing.h"
#include "tests/support/real_file_name.h"

namespace music_test {

struct KnownFont {
    const char* pszFile;     // its name in SoundFontDirs()
    const char* pszPackage;  // the Debian package that installs it
    // Seconds from Stop, with our song stopped two seconds in, by which the mix has left the
    // synthesiser out: its longest note's release, then half a second heard out (with FluidSynth
    // 2.3.1: 7.0 s for TimGM6mb and 8.1 s for FluidR3_GM), and some room for other versions.
    double dRestSeconds;
};

inline const KnownFont KNOWN_FONTS[] = {
    {"TimGM6mb.sf2", "timgm6mb-soundfont", 8.0},
    {"FluidR3_GM.sf2", "fluid-soundfont-gm", 10.0},
};

// A font we know nothing of: a General MIDI note's release lasts seconds, not half a minute.
constexpr double UNKNOWN_FONT_REST_SECONDS = 30.0;

// A test's font: one of KNOWN_FONTS by file name, or the machine's default (an empty name).
struct FontCase {
    const char* pszFile;
};
inline void PrintTo(const FontCase& font, std::ostream* os) {
    *os << (*font.pszFile != '\0' ? font.pszFile : "the machine's default");
}
inline std::string FontCaseName(const ::testing::TestParamInfo<FontCase>& info) {
    if (*info.param.pszFile == '\0') return "MachineDefault";
    std::string strName = info.param.pszFile;
    strName = strName.substr(0, strName.find('.'));
    for (char& c : strName)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return strName;
}

// The first readable file of that name in SoundFontDirs(); empty when it is not installed.
inline std::string InstalledFont(const std::string& strFile) {
    for (const std::string& strDir : SoundFontDirs()) {
        const std::string strPath = strDir + "/" + strFile;
        if (::access(strPath.c_str(), R_OK) == 0) return strPath;
    }
    return std::string();
}

inline const KnownFont* KnownFontNamed(const std::string& strFile) {
    for (const KnownFont& font : KNOWN_FONTS)
        if (strFile == font.pszFile) return &font;
    return nullptr;
}

// What we know of the font behind a path (links followed: default-GM.sf2 is a link); null when it
// is none of ours.
inline const KnownFont* KnownFontAt(const std::string& strPath) { return KnownFontNamed(RealFileName(strPath)); }

inline double RestSecondsOf(const std::string& strPath) {
    const KnownFont* pFont = KnownFontAt(strPath);
    return pFont != nullptr ? pFont->dRestSeconds : UNKNOWN_FONT_REST_SECONDS;
}

// The font the next stream's synthesiser loads (the stream layer calls the factory with no state).
inline std::string& StreamFontPath() {
    static std::string s_strPath;
    return s_strPath;
}
inline CSynth* MakeStreamFontSynth(int nRate) { return CreateFluidSynth(StreamFontPath(), nRate).release(); }

// Fonts by file name are loaded by the test; the machine's default by the game's own loader.
inline bool PlayNextStreamThrough(const FontCase& font, const std::string& strPath) {
    if (*font.pszFile == '\0') return headless::UseRecordingMidiSynth(false);
    StreamFontPath() = strPath;
    return midi_testing::SetSynthFactory(&MakeStreamFontSynth);
}

// A test of the real synthesiser, once for each font case: skipped, saying why, where the case's
// font is not installed. The mix is open; the test chooses which synthesiser plays the next stream,
// and the recording one is put back after it.
class FontTest : public ::testing::TestWithParam<FontCase> {
protected:
    void SetUp() override {
        const char* pszFile = GetParam().pszFile;
        if (*pszFile == '\0') {
            m_strFont = FindSoundFont(SoundFontDirs());
            if (m_strFont.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
        } else {
            m_strFont = InstalledFont(pszFile);
            if (m_strFont.empty())
                GTEST_SKIP() << pszFile << " is not installed (Debian package " << KnownFontNamed(pszFile)->pszPackage
                             << ")";
        }
        headless::SetAudioAvailable(true);
        ASSERT_TRUE(audio_out::Open());
    }
    void TearDown() override { EXPECT_TRUE(headless::UseRecordingMidiSynth(true)) << "a stream was left open"; }

    // The next stream plays through a fresh synthesiser with the case's font.
    void PlayNextStreamThroughTheFont() { ASSERT_TRUE(PlayNextStreamThrough(GetParam(), m_strFont)); }

    std::string m_strFont;
};

#define INSTANTIATE_FOR_EVERY_FONT(suite)                                                                         \
    INSTANTIATE_TEST_SUITE_P(Fonts, suite,                                                                        \
                             ::testing::Values(music_test::FontCase{"TimGM6mb.sf2"},                              \
                                               music_test::FontCase{"FluidR3_GM.sf2"}, music_test::FontCase{""}), \
                             music_test::FontCaseName)

}  // namespace music_test
