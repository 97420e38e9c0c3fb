#include "tools/songgen/Notation.h"

#include <cstdlib>
#include <sstream>

int ParsePitch(const std::string& strName) {
    static const int PITCH_CLASS[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (strName.size() < 2 || strName[0] < 'A' || strName[0] > 'G') return -1;
    int nPitchClass = PITCH_CLASS[strName[0] - 'A'];
    size_t i = 1;
    if (strName[i] == '#' || strName[i] == 'b') {
        nPitchClass += strName[i] == '#' ? 1 : -1;
        ++i;
    }
    if (i + 1 != strName.size() || strName[i] < '0' || strName[i] > '9') return -1;
    int nPitch = 12 * (strName[i] - '0' + 1) + nPitchClass;
    return (nPitch >= 0 && nPitch <= 127) ? nPitch : -1;
}

bool ParseMelody(const std::string& strText, std::vector<MelodyNote>& notes, std::string& strError) {
    // Bar lines need no spaces around them.
    std::string strSpaced;
    for (char c : strText) {
        if (c == '|')
            strSpaced += " | ";
        else
            strSpaced += c;
    }
    std::istringstream in(strSpaced);
    std::string strToken;
    int nBarSteps = 0;
    int nBar = 1;
    while (in >> strToken) {
        if (strToken == "|") {
            if (nBarSteps != 16) {
                strError = "bar " + std::to_string(nBar) + " has " + std::to_string(nBarSteps) + " steps";
                return false;
            }
            nBarSteps = 0;
            ++nBar;
            continue;
        }
        size_t nColon = strToken.find(':');
        if (nColon == std::string::npos) {
            strError = "no length in '" + strToken + "'";
            return false;
        }
        std::string strName = strToken.substr(0, nColon);
        int nSteps = std::atoi(strToken.c_str() + nColon + 1);
        int nPitch = strName == "-" ? -1 : ParsePitch(strName);
        if ((nPitch < 0 && strName != "-") || nSteps <= 0) {
            strError = "bad token '" + strToken + "'";
            return false;
        }
        notes.push_back({nPitch, nSteps});
        nBarSteps += nSteps;
    }
    if (nBarSteps != 0 && nBarSteps != 16) {
        strError = "last bar has " + std::to_string(nBarSteps) + " steps";
        return false;
    }
    return true;
}
