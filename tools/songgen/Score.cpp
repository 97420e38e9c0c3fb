#include "tools/songgen/Score.h"

#include <algorithm>
#include <sstream>

#include "tools/songgen/Arranger.h"
#include "tools/songgen/Notation.h"

namespace {

const uint32_t STEP = 120;  // a sixteenth note
const uint32_t BEAT = 4 * STEP;
const uint32_t BAR = 4 * BEAT;

uint32_t BarTick(int nBar) { return uint32_t(nBar) * BAR; }

enum Channel { CH_LEAD = 0, CH_BASS, CH_GUITAR, CH_PAD, CH_ARP, CH_BRASS, CH_STRINGS, CH_HIT, CH_TIMPANI, CH_DRUMS };

// General MIDI percussion keys.
enum DrumKey {
    KICK = 36,
    SNARE = 38,
    FLOOR_TOM = 41,
    HAT_CLOSED = 42,
    HIGH_FLOOR_TOM = 43,
    HAT_PEDAL = 44,
    LOW_TOM = 45,
    HAT_OPEN = 46,
    LOW_MID_TOM = 47,
    HIGH_MID_TOM = 48,
    CRASH = 49,
    HIGH_TOM = 50,
    RIDE = 51
};

// ---------------------------------------------------------------------------------------------
// The melodies. Each bar holds 16 sixteenths.

// The main theme's first six bars (over Em C D Em Em C).
const char* const THEME_HEAD =
    "E5:3 E5:1 G5:2 B5:2 A5:2 G5:2 F#5:2 G5:2 | E5:6 D5:2 E5:4 G5:4 |"
    "F#5:3 F#5:1 A5:2 D6:2 C6:2 B5:2 A5:2 F#5:2 | G5:8 -:2 E5:2 G5:2 B5:2 |"
    "E6:6 D6:2 B5:4 G5:4 | C6:3 B5:1 A5:2 G5:2 E5:4 G5:4 |";
// Its endings: the first climbs to the dominant, the second rests on it, the last comes home.
const char* const THEME_END_OPEN = "A5:4 F#5:2 D5:2 A5:2 B5:2 C6:2 D6:2 | D#6:8 B5:4 F#5:4 |";
const char* const THEME_END_HOLD = "A5:2 G5:2 F#5:2 G5:2 A5:4 B5:4 | B5:12 -:4 |";
const char* const THEME_END_HOME = "A5:4 F#5:2 D5:2 A5:2 B5:2 C6:2 D6:2 | E6:12 -:4 |";

// The second theme: first half over C D Bm Em, second over Am C D Em, both closing over C D B B.
const char* const SECOND_FIRST =
    "G5:4 E5:4 C6:6 B5:2 | A5:4 F#5:4 D6:6 C6:2 | B5:6 A5:2 F#5:4 D5:4 | E5:12 G5:2 A5:2 |";
const char* const SECOND_AGAIN =
    "A5:4 C6:4 E6:6 D6:2 | C6:4 B5:2 C6:2 E6:4 G6:4 | F#6:6 E6:2 D6:4 A5:4 | B5:12 G5:2 A5:2 |";
const char* const SECOND_CLOSE =
    "G5:4 E5:4 C6:4 E6:4 | D6:4 C6:2 B5:2 A5:4 F#5:4 | F#5:6 A5:2 B5:4 D#6:4 | F#6:8 D#6:4 B5:4 |";

// The bridge, for brass, in half-time.
const char* const BRIDGE_TUNE =
    "E5:8 G5:8 | F#5:8 A5:8 | B5:12 A5:4 | G5:16 | A5:8 C6:8 | D6:8 C6:4 A5:4 | B5:16 |"
    "D5:4 G5:4 B5:4 D6:4 | E6:8 D6:4 C6:4 | D6:8 A5:8 | F#6:8 D6:4 B5:4 | G6:12 E6:4 |"
    "E6:8 C6:8 | G6:8 E6:8 | F#6:8 D#6:8 | B5:8 -:8 |";

// The lead's slow climb out of the breakdown.
const char* const BREAKDOWN_CLIMB = "A4:8 C5:8 | E5:16 | D#5:8 F#5:8 | B5:16 |";

// ---------------------------------------------------------------------------------------------
// Chords.

struct Chord {
    int nRoot;      // pitch class
    int nTones[3];  // semitones above the root
};

bool ParseChord(const std::string& strName, Chord& chord) {
    static const char NAMES[] = "C-D-EF-G-A-B";
    size_t nAt = std::string(NAMES).find(strName.empty() ? '?' : strName[0]);
    if (strName.empty() || nAt == std::string::npos || NAMES[nAt] == '-') return false;
    chord.nRoot = int(nAt);
    std::string strQuality = strName.substr(1);
    if (strQuality.empty())
        chord = {chord.nRoot, {0, 4, 7}};
    else if (strQuality == "m")
        chord = {chord.nRoot, {0, 3, 7}};
    else
        return false;
    return true;
}

bool ParseProgression(const char* pszText, std::vector<Chord>& chords, std::string& strError) {
    std::istringstream in(pszText);
    std::string strName;
    while (in >> strName) {
        Chord chord;
        if (!ParseChord(strName, chord)) {
            strError = "bad chord '" + strName + "'";
            return false;
        }
        chords.push_back(chord);
    }
    return true;
}

// The lowest pitch of a pitch class at or above nLow.
int PitchAtOrAbove(int nPitchClass, int nLow) {
    int n = nLow + ((nPitchClass - nLow) % 12 + 12) % 12;
    return n;
}

// The chord's tones from nLow up to (not including) nLow + nSpan, in rising order.
std::vector<int> Voicing(const Chord& chord, int nLow, int nSpan) {
    std::vector<int> pitches;
    for (int p = nLow; p < nLow + nSpan; ++p)
        for (int t : chord.nTones)
            if ((p - chord.nRoot - t) % 12 == 0) pitches.push_back(p);
    return pitches;
}

// ---------------------------------------------------------------------------------------------
// Drum patterns: one character per sixteenth; X x o . are loud to soft, '-' is silence.

struct DrumPattern {
    const char* pszKick;
    const char* pszSnare;
    const char* pszCymbal;
    int nCymbalKey;
    const char* pszExtra;
    int nExtraKey;
};

const DrumPattern DRUMS_GROOVE = {"x-------x-----x-", "----x-------x---", "o-.-o-.-o-.-o-.-", HAT_CLOSED, "", 0};
const DrumPattern DRUMS_MAIN = {"x-----x-x-----x-", "----x-------x---", "x-o-x-o-x-o-x---",
                                HAT_CLOSED,         "--------------o-", HAT_OPEN};
const DrumPattern DRUMS_DRIVE = {"x-----x-x-x---x-", "----X-------X--o", "x-o-x-o-x-o-x-o-", RIDE,
                                 "--o---o---o---o-", HAT_PEDAL};
const DrumPattern DRUMS_HALF = {"x-----x---x-----", "--------X-------", "x-o-x-o-x-o-x-o-", HAT_CLOSED, "", 0};
const DrumPattern DRUMS_SPARSE = {"x-------x-------", "----------------", "--o---o---o---o-", HAT_PEDAL, "", 0};
const DrumPattern DRUMS_PULSE = {"x---x---x---x---", "----------------", "--o---o---o---o-", HAT_CLOSED, "", 0};

int StrokeVelocity(char c) {
    switch (c) {
        case 'X': return 122;
        case 'x': return 104;
        case 'o': return 82;
        case '.': return 62;
        default: return 0;
    }
}

enum BassStyle { BASS_OCTAVES, BASS_GALLOP, BASS_HALF, BASS_WHOLE, BASS_PULSE };
enum GuitarStyle { GUITAR_NONE, GUITAR_CHUG, GUITAR_STAB, GUITAR_SUSTAIN };

// One stretch of the arrangement where the band plays the same way.
struct SectionPlan {
    int nFirstBar;
    int nBars;
    const char* pszChords;  // one chord a bar, repeated to fill the section
    const DrumPattern* pDrums;
    const char* pszFills;  // one a bar: '.' none, s snare, t toms, b whole bar, 1 2 the build
    bool bCrash;           // crash on the first bar and every eighth bar after it
    BassStyle nBass;
    GuitarStyle nGuitar;
    bool bPad;
    bool bArp;
    bool bStrings;
};

const char* const THEME_CHORDS = "Em C D Em Em C D B";
const char* const SECOND_CHORDS = "C D Bm Em C D B B Am C D Em C D B B";
const char* const BRIDGE_CHORDS = "C D Bm Em Am D G G C D Bm Em Am C B B";

const SectionPlan PLAN[] = {
    //  bar bars chords                               drums          fills               crash  bass          guitar pad
    //  arp    strings
    {1, 4, "Em Em C D", &DRUMS_GROOVE, "...s", true, BASS_OCTAVES, GUITAR_CHUG, false, false, false},
    {5, 4, "Em Em C D", &DRUMS_MAIN, "...b", false, BASS_OCTAVES, GUITAR_CHUG, true, true, false},
    {9, 16, THEME_CHORDS, &DRUMS_MAIN, ".......s.......t", true, BASS_OCTAVES, GUITAR_CHUG, true, false, false},
    {25, 16, SECOND_CHORDS, &DRUMS_DRIVE, ".......t.......b", true, BASS_GALLOP, GUITAR_STAB, true, true, false},
    {41, 8, THEME_CHORDS, &DRUMS_MAIN, ".......b", true, BASS_OCTAVES, GUITAR_CHUG, true, true, false},
    {49, 8, BRIDGE_CHORDS, &DRUMS_HALF, ".......s", true, BASS_HALF, GUITAR_SUSTAIN, false, false, true},
    {57, 8, "C D Bm Em Am C B B", &DRUMS_HALF, ".......t", true, BASS_HALF, GUITAR_STAB, false, false, true},
    {65, 4, "Em Em C C", &DRUMS_SPARSE, "....", true, BASS_WHOLE, GUITAR_NONE, true, true, false},
    {69, 4, "Am Am B B", &DRUMS_PULSE, "..12", false, BASS_PULSE, GUITAR_NONE, true, true, false},
    {73, 16, THEME_CHORDS, &DRUMS_MAIN, ".......s.......b", true, BASS_OCTAVES, GUITAR_CHUG, true, true, false},
    {89, 16, SECOND_CHORDS, &DRUMS_DRIVE, ".......t.......b", true, BASS_GALLOP, GUITAR_STAB, false, true, true},
    {105, 8, "Em C D Em Em C D Em", &DRUMS_MAIN, ".......b", true, BASS_OCTAVES, GUITAR_CHUG, true, true, false},
    {113, 8, "Em Em C D Em Em C B", &DRUMS_MAIN, "...s...t", true, BASS_OCTAVES, GUITAR_CHUG, true, false, false},
};

// ---------------------------------------------------------------------------------------------

class CComposer {
public:
    explicit CComposer(CArranger& arr) : m_arr(arr) {}

    bool Compose(std::string& strError);

private:
    int Human(int nVelocity);
    void Drum(int nBar, int nStep, int nKey, int nVelocity, uint32_t nLength = 100);
    void DrumBar(int nBar, const DrumPattern& pattern, char cFill, bool bCrash);
    void BassBar(int nBar, const Chord& chord, BassStyle nStyle);
    void BassDive(int nBar);
    void GuitarBar(int nBar, const Chord& chord, GuitarStyle nStyle);
    void ChordBar(int nChannel, int nBar, const Chord& chord, int nLow, int nVelocity);
    void ArpBar(int nBar, const Chord& chord);
    void OrchestraHit(int nBar, const Chord& chord);
    void Timpani(int nBar, int nStep, const Chord& chord, int nVelocity, uint32_t nLength);
    void Swell(int nChannel, uint32_t nFrom, uint32_t nTo, int nStartValue, int nEndValue, uint32_t nStride);
    bool Melody(int nChannel, int nFirstBar, const std::string& strText, int nTranspose, int nVelocity,
                bool bExpressive, std::string& strError);
    void Riser();

    CArranger& m_arr;
    uint32_t m_nSeed = 0x1CE5EEDu;
};

int CComposer::Human(int nVelocity) {
    m_nSeed = m_nSeed * 1664525u + 1013904223u;
    return std::min(127, std::max(1, nVelocity + int((m_nSeed >> 24) % 9) - 4));
}

void CComposer::Drum(int nBar, int nStep, int nKey, int nVelocity, uint32_t nLength) {
    m_arr.Note(CH_DRUMS, BarTick(nBar) + uint32_t(nStep) * STEP, nLength, nKey, Human(nVelocity));
}

void CComposer::DrumBar(int nBar, const DrumPattern& p, char cFill, bool bCrash) {
    // Where a fill starts the groove stops.
    int nFillFrom = 16;
    switch (cFill) {
        case 's': nFillFrom = 12; break;
        case 't': nFillFrom = 8; break;
        case 'b':
        case '1':
        case '2': nFillFrom = 0; break;
        default: break;
    }
    for (int s = 0; s < nFillFrom; ++s) {
        if (int v = StrokeVelocity(p.pszKick[s])) Drum(nBar, s, KICK, v);
        if (int v = StrokeVelocity(p.pszSnare[s])) Drum(nBar, s, SNARE, v);
        int vCymbal = StrokeVelocity(p.pszCymbal[s]);
        if (s == 0 && bCrash)
            Drum(nBar, s, CRASH, 118, 2 * BEAT);
        else if (vCymbal)
            Drum(nBar, s, p.nCymbalKey, vCymbal);
        if (p.pszExtra[0] && StrokeVelocity(p.pszExtra[s])) Drum(nBar, s, p.nExtraKey, StrokeVelocity(p.pszExtra[s]));
    }

    static const int TOMS_DOWN[8] = {HIGH_TOM,    HIGH_TOM, HIGH_MID_TOM,   HIGH_MID_TOM,
                                     LOW_MID_TOM, LOW_TOM,  HIGH_FLOOR_TOM, FLOOR_TOM};
    switch (cFill) {
        case 's':
            for (int i = 0; i < 4; ++i) Drum(nBar, 12 + i, SNARE, 84 + 11 * i);
            Drum(nBar, 12, KICK, 100);
            break;
        case 't':
            for (int i = 0; i < 8; ++i) Drum(nBar, 8 + i, TOMS_DOWN[i], 90 + 4 * i);
            Drum(nBar, 8, KICK, 104);
            Drum(nBar, 12, KICK, 104);
            break;
        case 'b':
            Drum(nBar, 0, KICK, 110);
            if (bCrash) Drum(nBar, 0, CRASH, 112, 2 * BEAT);
            for (int i = 0; i < 4; ++i) Drum(nBar, 2 * i, SNARE, 88 + 5 * i);
            Drum(nBar, 8, SNARE, 104);
            Drum(nBar, 9, SNARE, 108);
            for (int i = 2; i < 8; ++i) Drum(nBar, 8 + i, TOMS_DOWN[i], 100 + 3 * i);
            Drum(nBar, 8, KICK, 104);
            Drum(nBar, 12, KICK, 104);
            break;
        case '1':  // the build: eighths, then sixteenths, growing
            for (int i = 0; i < 8; ++i) Drum(nBar, 2 * i, SNARE, 48 + 6 * i);
            for (int i = 0; i < 4; ++i) Drum(nBar, 4 * i, KICK, 96);
            break;
        case '2':
            for (int i = 0; i < 16; ++i) Drum(nBar, i, SNARE, 84 + 40 * i / 15);
            for (int i = 0; i < 4; ++i) Drum(nBar, 4 * i, KICK, 104);
            break;
        default: break;
    }
}

void CComposer::BassBar(int nBar, const Chord& chord, BassStyle nStyle) {
    const int nRoot = PitchAtOrAbove(chord.nRoot, 33);  // A1 .. G#2
    const uint32_t t = BarTick(nBar);
    switch (nStyle) {
        case BASS_OCTAVES: {
            static const int LIFT[8] = {0, 0, 12, 0, 0, 0, 12, 0};
            static const int ACCENT[8] = {108, 82, 96, 82, 104, 82, 96, 88};
            for (int i = 0; i < 8; ++i) m_arr.Note(CH_BASS, t + i * 2 * STEP, 200, nRoot + LIFT[i], Human(ACCENT[i]));
            break;
        }
        case BASS_GALLOP:
            for (int beat = 0; beat < 4; ++beat) {
                uint32_t b = t + beat * BEAT;
                m_arr.Note(CH_BASS, b, 220, nRoot, Human(106));
                m_arr.Note(CH_BASS, b + 2 * STEP, 100, nRoot, Human(80));
                m_arr.Note(CH_BASS, b + 3 * STEP, 100, beat == 3 ? nRoot + 12 : nRoot, Human(86));
            }
            break;
        case BASS_HALF:
            m_arr.Note(CH_BASS, t, 900, nRoot, Human(104));
            m_arr.Note(CH_BASS, t + 8 * STEP, 660, nRoot, Human(96));
            m_arr.Note(CH_BASS, t + 14 * STEP, 200, nRoot + 7, Human(90));
            break;
        case BASS_WHOLE: m_arr.Note(CH_BASS, t, BAR - 40, nRoot, Human(96)); break;
        case BASS_PULSE:
            for (int i = 0; i < 8; ++i) m_arr.Note(CH_BASS, t + i * 2 * STEP, 160, nRoot, Human(i % 2 ? 70 : 90));
            break;
    }
}

// The bass drops two semitones over the last eighth of a bar and springs back once it has ended.
void CComposer::BassDive(int nBar) {
    uint32_t t = BarTick(nBar) + 14 * STEP;
    for (int i = 1; i <= 6; ++i) m_arr.Bend(CH_BASS, t + i * 36, 8192 - 8192 * i / 6);
    m_arr.Bend(CH_BASS, BarTick(nBar + 1) - 20, 8192);
}

void CComposer::GuitarBar(int nBar, const Chord& chord, GuitarStyle nStyle) {
    const int nRoot = PitchAtOrAbove(chord.nRoot, 40);  // E2 .. D#3
    const int POWER[3] = {nRoot, nRoot + 7, nRoot + 12};
    const uint32_t t = BarTick(nBar);
    auto Strum = [&](uint32_t nTick, uint32_t nLength, int nNotes, int nVelocity) {
        for (int i = 0; i < nNotes; ++i) m_arr.Note(CH_GUITAR, nTick, nLength, POWER[i], Human(nVelocity));
    };
    switch (nStyle) {
        case GUITAR_NONE: break;
        case GUITAR_CHUG:
            Strum(t, 220, 3, 100);
            for (int i = 1; i < 8; ++i) Strum(t + i * 2 * STEP, 90, 2, i == 3 || i == 4 ? 92 : 70);
            break;
        case GUITAR_STAB:
            Strum(t, 700, 3, 104);
            Strum(t + 6 * STEP, 220, 3, 96);
            Strum(t + 8 * STEP, 900, 3, 100);
            break;
        case GUITAR_SUSTAIN: Strum(t, BAR, 3, 76); break;
    }
}

void CComposer::ChordBar(int nChannel, int nBar, const Chord& chord, int nLow, int nVelocity) {
    // Held chords tie into the next bar, except that the last one lets go before the loop.
    uint32_t nLength = nBar + 1 == int(SONG_BARS) ? BAR - 2 * STEP : BAR;
    for (int p : Voicing(chord, nLow, 12)) m_arr.Note(nChannel, BarTick(nBar), nLength, p, Human(nVelocity));
    if (nChannel == CH_STRINGS)
        m_arr.Note(nChannel, BarTick(nBar), nLength, PitchAtOrAbove(chord.nRoot, nLow - 12), Human(nVelocity));
}

void CComposer::ArpBar(int nBar, const Chord& chord) {
    std::vector<int> tones = Voicing(chord, 64, 16);  // E4 and up
    static const int ORDER[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    for (int s = 0; s < 16; ++s) {
        int nIndex = std::min<int>(ORDER[s % 8], int(tones.size()) - 1);
        m_arr.Note(CH_ARP, BarTick(nBar) + s * STEP, 100, tones[nIndex], Human(s % 4 ? 62 : 82));
    }
}

void CComposer::OrchestraHit(int nBar, const Chord& chord) {
    for (int p : Voicing(chord, 60, 12)) m_arr.Note(CH_HIT, BarTick(nBar), 3 * STEP, p, Human(110));
    m_arr.Note(CH_HIT, BarTick(nBar), 3 * STEP, PitchAtOrAbove(chord.nRoot, 48), Human(110));
}

void CComposer::Timpani(int nBar, int nStep, const Chord& chord, int nVelocity, uint32_t nLength) {
    m_arr.Note(CH_TIMPANI, BarTick(nBar) + nStep * STEP, nLength, PitchAtOrAbove(chord.nRoot, 40), Human(nVelocity));
}

// Expression moving in a straight line from nFrom (inclusive) to nTo (exclusive).
void CComposer::Swell(int nChannel, uint32_t nFrom, uint32_t nTo, int nStartValue, int nEndValue, uint32_t nStride) {
    uint32_t nSpan = nTo - nFrom;
    for (uint32_t t = nFrom; t < nTo; t += nStride)
        m_arr.Control(nChannel, t, 11, nStartValue + int(int64_t(nEndValue - nStartValue) * (t - nFrom) / nSpan));
}

bool CComposer::Melody(int nChannel, int nFirstBar, const std::string& strText, int nTranspose, int nVelocity,
                       bool bExpressive, std::string& strError) {
    std::vector<MelodyNote> notes;
    if (!ParseMelody(strText, notes, strError)) return false;
    uint32_t t = BarTick(nFirstBar);
    for (const MelodyNote& n : notes) {
        uint32_t nSpan = uint32_t(n.nSteps) * STEP;
        if (n.nPitch >= 0) {
            uint32_t nLength = nSpan - (n.nSteps >= 2 ? 24 : 12);
            int nAccent = (t % BEAT == 0) ? 8 : 0;
            m_arr.Note(nChannel, t, nLength, n.nPitch + nTranspose, Human(nVelocity + nAccent));
            if (bExpressive && n.nSteps >= 8) {
                // Long notes slide up into place from a semitone below.
                static const int SCOOP[4] = {4096, 5800, 7200, 8192};
                for (int i = 0; i < 4; ++i) m_arr.Bend(nChannel, t + i * 30, SCOOP[i]);
            }
            if (bExpressive && n.nSteps >= 6) {
                // ... and grow a vibrato in their second half.
                static const int DEPTH[3] = {28, 48, 64};
                for (int i = 0; i < 3; ++i) m_arr.Control(nChannel, t + nSpan / 2 + i * 60, 1, DEPTH[i]);
                m_arr.Control(nChannel, t + nLength, 1, 0);
            }
        }
        t += nSpan;
    }
    return true;
}

// Bar 0 at 300 BPM: a snare and timpani roll under a swelling power chord and a lead sliding up.
void CComposer::Riser() {
    Chord em;
    ParseChord("Em", em);
    m_arr.Note(CH_LEAD, 0, 1860, 83, 92);  // B5, bent up from A5
    for (int i = 0; i < 16; ++i) {
        m_arr.Bend(CH_LEAD, i * STEP, 8192 * i / 15);
        m_arr.Control(CH_GUITAR, i * STEP, 11, 40 + 87 * i / 15);
        Drum(0, i, SNARE, 40 + 80 * i / 15);
        Timpani(0, i, em, 40 + 60 * i / 15, 100);
    }
    for (int p : {40, 47, 52}) m_arr.Note(CH_GUITAR, 0, 1880, p, 100);
    for (int i = 0; i < 8; ++i) m_arr.Note(CH_BASS, i * 2 * STEP, 200, 40, 70 + 40 * i / 7);
    for (int i = 0; i < 4; ++i) Drum(0, 4 * i, KICK, 90);
}

bool CComposer::Compose(std::string& strError) {
    m_arr.Tempo(0, INTRO_TEMPO);
    m_arr.Tempo(MAIN_TEMPO_TICK, MAIN_TEMPO);

    //                 channel      name        GM program                    vol  pan rev cho
    m_arr.SetUpChannel(CH_LEAD, "Lead", 81 /* Lead 2 (sawtooth) */, 94, 64, 48, 24);
    m_arr.SetUpChannel(CH_BASS, "Bass", 38 /* Synth Bass 1 */, 106, 64, 10, 0);
    m_arr.SetUpChannel(CH_GUITAR, "Guitar", 30 /* Distortion Guitar */, 88, 36, 30, 0);
    m_arr.SetUpChannel(CH_PAD, "Pad", 89 /* Pad 2 (warm) */, 98, 88, 70, 40);
    m_arr.SetUpChannel(CH_ARP, "Arpeggio", 80 /* Lead 1 (square) */, 86, 100, 50, 10);
    m_arr.SetUpChannel(CH_BRASS, "Brass", 61 /* Brass Section */, 114, 52, 50, 0);
    m_arr.SetUpChannel(CH_STRINGS, "Strings", 48 /* String Ensemble 1 */, 72, 76, 70, 20);
    m_arr.SetUpChannel(CH_HIT, "Hits", 55 /* Orchestra Hit */, 84, 64, 60, 0);
    m_arr.SetUpChannel(CH_TIMPANI, "Timpani", 47 /* Timpani */, 100, 70, 60, 0);
    m_arr.SetUpChannel(CH_DRUMS, "Drums", 0 /* Standard kit */, 110, 64, 40, 0);
    for (int ch : {CH_LEAD, CH_BASS}) {  // pitch bend range: 2 semitones
        m_arr.Control(ch, 0, 101, 0);
        m_arr.Control(ch, 0, 100, 0);
        m_arr.Control(ch, 0, 6, 2);
        m_arr.Control(ch, 0, 38, 0);
        m_arr.Control(ch, 0, 101, 127);
        m_arr.Control(ch, 0, 100, 127);
    }

    Riser();

    // The band, section by section.
    std::vector<std::vector<Chord>> bars(SONG_BARS);
    for (const SectionPlan& plan : PLAN) {
        std::vector<Chord> chords;
        if (!ParseProgression(plan.pszChords, chords, strError)) return false;
        if (int(std::string(plan.pszFills).size()) != plan.nBars) {
            strError = "fill list does not match the section at bar " + std::to_string(plan.nFirstBar);
            return false;
        }
        for (int i = 0; i < plan.nBars; ++i) {
            int nBar = plan.nFirstBar + i;
            const Chord& chord = chords[i % chords.size()];
            bars[nBar] = {chord};
            DrumBar(nBar, *plan.pDrums, plan.pszFills[i], plan.bCrash && i % 8 == 0);
            BassBar(nBar, chord, plan.nBass);
            GuitarBar(nBar, chord, plan.nGuitar);
            if (plan.bPad) ChordBar(CH_PAD, nBar, chord, 55, 62);
            if (plan.bStrings) ChordBar(CH_STRINGS, nBar, chord, 60, 74);
            if (plan.bArp) ArpBar(nBar, chord);
        }
    }
    for (int nBar = 1; nBar < int(SONG_BARS); ++nBar)
        if (bars[nBar].empty()) {
            strError = "bar " + std::to_string(nBar) + " has no chord";
            return false;
        }
    auto ChordAt = [&](int nBar) -> const Chord& { return bars[nBar][0]; };

    // Accents at the big arrivals.
    for (int nBar : {1, 9, 25, 41, 73, 89, 105, 109}) {
        OrchestraHit(nBar, ChordAt(nBar));
        Timpani(nBar, 0, ChordAt(nBar), 112, 600);
    }
    for (int nBar : {49, 53, 57, 61}) Timpani(nBar, 0, ChordAt(nBar), 100, 900);
    for (int s = 0; s < 16; ++s)  // rolls into the returns
        Timpani(72, s, ChordAt(72), 50 + 60 * s / 15, 100);
    for (int s = 8; s < 16; ++s) Timpani(120, s, ChordAt(120), 60 + 50 * (s - 8) / 7, 100);
    for (int nBar : {48, 64, 104, 120}) BassDive(nBar);

    // Strings breathe through the bridge; the pad and the lead swell out of the breakdown.
    for (int nBar = 49; nBar < 65; ++nBar) Swell(CH_STRINGS, BarTick(nBar), BarTick(nBar + 1), 80, 124, BEAT);
    m_arr.Control(CH_STRINGS, BarTick(65), 11, 127);
    Swell(CH_PAD, BarTick(65), BarTick(73), 48, 127, BEAT);
    m_arr.Control(CH_PAD, BarTick(73), 11, 127);
    Swell(CH_LEAD, BarTick(69), BarTick(73), 56, 127, BEAT);
    m_arr.Control(CH_LEAD, BarTick(73), 11, 127);

    const std::string THEME_OPEN = std::string(THEME_HEAD) + THEME_END_OPEN;
    const std::string THEME_HOLD = std::string(THEME_HEAD) + THEME_END_HOLD;
    const std::string THEME_HOME = std::string(THEME_HEAD) + THEME_END_HOME;
    const std::string SECOND = std::string(SECOND_FIRST) + SECOND_CLOSE + SECOND_AGAIN + SECOND_CLOSE;
    struct Line {
        int nChannel;
        int nBar;
        std::string strText;
        int nTranspose;
        int nVelocity;
        bool bExpressive;
    };
    const Line LINES[] = {
        {CH_LEAD, 9, THEME_OPEN, 0, 100, true},      {CH_LEAD, 17, THEME_HOLD, 0, 100, true},
        {CH_LEAD, 25, SECOND, 0, 98, true},          {CH_LEAD, 41, THEME_OPEN, 0, 100, true},
        {CH_BRASS, 49, BRIDGE_TUNE, 0, 114, false},  {CH_LEAD, 69, BREAKDOWN_CLIMB, 0, 92, true},
        {CH_LEAD, 73, THEME_OPEN, 0, 104, true},     {CH_BRASS, 73, THEME_OPEN, -12, 90, false},
        {CH_LEAD, 81, THEME_HOLD, 0, 104, true},     {CH_BRASS, 81, THEME_HOLD, -12, 90, false},
        {CH_LEAD, 89, SECOND, 0, 102, true},         {CH_LEAD, 105, THEME_HOME, 0, 106, true},
        {CH_BRASS, 105, THEME_HOME, -12, 94, false},
    };
    for (const Line& line : LINES)
        if (!Melody(line.nChannel, line.nBar, line.strText, line.nTranspose, line.nVelocity, line.bExpressive,
                    strError))
            return false;
    return true;
}

}  // namespace

bool ComposeSong(SmfSong& song, std::string& strError) {
    CArranger arr;
    CComposer composer(arr);
    if (!composer.Compose(strError)) return false;
    song = arr.Finish(BarTick(SONG_BARS));
    return true;
}
