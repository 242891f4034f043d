// The score of the presentation's music: "Salute", a slow song in D major.
//
// 32 bars of 4/4 at 76.8 beats a minute, so one bar lasts 3.125 s and the four
// sections of eight bars change at 25, 50 and 75 s, where the text pages
// change. The last chord rings on and fades out by about 101.5 s.
//
//   A  bars  1- 8  intro: pad and electric piano, a bell hints at the tune
//   B  bars  9-16  the tune on a flute, bass and soft drums join
//   C  bars 17-24  the tune an octave up, strings, fuller drums
//   D  bars 25-32  the tune returns at home, the drums leave at bar 29,
//                  the last chord is held and fades
//
// The generator renders what this file says; the tests read it to check that
// the rendered audio follows it (the chord of a bar, the sections).
#pragma once

namespace musicgen::score {

constexpr double beatsPerMinute = 76.8;
constexpr double secondsPerBeat = 60.0 / beatsPerMinute;  // 0.78125
constexpr int beatsPerBar = 4;
constexpr double secondsPerBar = secondsPerBeat * beatsPerBar;  // 3.125
constexpr int barCount = 32;
constexpr int barsPerSection = 8;
constexpr int sectionCount = barCount / barsPerSection;
constexpr double fadeStart = 97.5;    // seconds: the last chord starts to fade
constexpr double fadeEnd = 101.5;     // silence from here
constexpr double totalSeconds = 102.0;
constexpr int sampleRate = 44100;

inline double barStart(int bar) { return bar * secondsPerBar; }  // bar counted from 0
inline double sectionStart(int section) { return section * barsPerSection * secondsPerBar; }

// Pitches are MIDI note numbers (60 = middle C, 62 = D4).
enum Quality { Major, Minor };
struct Chord {
    int root;  // the bass note's pitch class: 0 = C, 2 = D, ... 11 = B
    Quality quality;
    const char* name;
};

constexpr Chord D{2, Major, "D"}, Bm{11, Minor, "Bm"}, G{7, Major, "G"}, A{9, Major, "A"}, Em{4, Minor, "Em"},
    FSharpM{6, Minor, "F#m"};

// One chord per bar.
constexpr Chord chords[barCount] = {
    D,  Bm, G,       A,  D,  Bm, Em, A,  // A
    Bm, G,  D,       A,  Bm, G,  Em, A,  // B
    G,  A,  FSharpM, Bm, Em, A,  D,  A,  // C
    D,  Bm, G,       A,  G,  A,  D,  D,  // D
};

// The pitch classes of a chord: root, third, fifth.
inline void chordTones(const Chord& c, int out[3]) {
    out[0] = c.root;
    out[1] = (c.root + (c.quality == Major ? 4 : 3)) % 12;
    out[2] = (c.root + 7) % 12;
}

// The tune: bar (from 0), start beat in the bar, length in beats, pitch.
struct Note {
    int bar;
    float beat;
    float beats;
    int pitch;
};

// Note names for the tune.
enum : int { G4 = 67, A4 = 69, B4 = 71, Cs5 = 73, D5 = 74, E5 = 76, Fs5 = 78, G5 = 79, A5 = 81, B5 = 83, Cs6 = 85, D6 = 86 };

// The bell's hint of the tune in the intro.
constexpr Note bell[] = {
    {4, 0, 2, Fs5}, {4, 2, 1, E5}, {4, 3, 1, D5},  // D
    {5, 0, 4, D5},                                 // Bm
    {6, 0, 2, E5},  {6, 2, 2, G5},                 // Em
    {7, 0, 4, E5},                                 // A
};

constexpr Note tune[] = {
    // B: the tune
    {8, 0, 2, Fs5},  {8, 2, 1, E5},  {8, 3, 1, D5},   // Bm
    {9, 0, 3, D5},   {9, 3, 1, B4},                   // G
    {10, 0, 1, A4},  {10, 1, 1, D5}, {10, 2, 1, E5},  {10, 3, 1, Fs5},  // D
    {11, 0, 4, E5},                                   // A
    {12, 0, 2, Fs5}, {12, 2, 1, A5}, {12, 3, 1, Fs5}, // Bm
    {13, 0, 2, G5},  {13, 2, 1, Fs5}, {13, 3, 1, E5}, // G
    {14, 0, 2, E5},  {14, 2, 1, D5}, {14, 3, 1, B4},  // Em
    {15, 0, 3, Cs5},                                  // A
    // C: higher, with more movement
    {16, 0, 1, B5},  {16, 1, 1, A5}, {16, 2, 1, G5},  {16, 3, 1, D5},   // G
    {17, 0, 1.5f, E5}, {17, 1.5f, 0.5f, Fs5}, {17, 2, 2, E5},           // A
    {18, 0, 1, A5},  {18, 1, 1, Cs6}, {18, 2, 1, A5}, {18, 3, 1, Fs5},  // F#m
    {19, 0, 2, D6},  {19, 2, 1, Cs6}, {19, 3, 1, B5}, // Bm
    {20, 0, 1, B5},  {20, 1, 1, G5}, {20, 2, 1, E5},  {20, 3, 1, G5},   // Em
    {21, 0, 3, A5},  {21, 3, 1, E5},                  // A
    {22, 0, 2, Fs5}, {22, 2, 1, A5}, {22, 3, 1, D6},  // D
    {23, 0, 3, Cs6},                                  // A
    // D: home again, quieter
    {24, 0, 2, Fs5}, {24, 2, 1, E5}, {24, 3, 1, D5},  // D
    {25, 0, 3, D5},  {25, 3, 1, B4},                  // Bm
    {26, 0, 1, B4},  {26, 1, 1, D5}, {26, 2, 1, G5},  {26, 3, 1, Fs5},  // G
    {27, 0, 4, E5},                                   // A
    {28, 0, 2, D5},  {28, 2, 1, B4}, {28, 3, 1, G4},  // G
    {29, 0, 2, A4},  {29, 2, 1, Cs5}, {29, 3, 1, E5}, // A
    {30, 0, 6, D5},                                   // D, held into the last bar
};

// Which parts play in a bar (from 0).
inline bool hasBass(int bar) { return bar >= 4; }
inline bool hasDrums(int bar) { return bar >= 8 && bar < 28; }
inline bool fullDrums(int bar) { return bar >= 16 && bar < 24; }
inline bool hasStrings(int bar) { return bar >= 16 && bar < 24; }

}  // namespace musicgen::score
