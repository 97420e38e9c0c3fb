// Resource ids of the program (see resources/tesselor.rc).
#pragma once

#define IDD_ABOUTBOX 100
#define IDR_MAINFRAME 128
#define IDR_WAVE_HIT 153
#define IDR_WAVE_EXPLOSION 154
#define IDR_MIDS_MUSIC 156
