// The train run description of train 517 on the line Borgorosso - Montegrano C.: 50 lines in eight
// sections. The train number belongs to the file name only: no line here holds it.
#include "writers/embedded_tables.h"

namespace pack {
namespace {

constexpr std::string_view kTrainRunLines[] = {
    "[generale]",
    "numero vetture,    8",
    "percentuale massa frenata,    105",
    "sabbia,    180",
    // Hours, minutes and seconds separated by blanks, not commas; the trailing blank is part of the row.
    "orologio,    16              56            0 ",
    "[aderenze]",
    "aderenza,   0,    100",
    "aderenza,     400,    70",
    "aderenza,     600,    90",
    "aderenza,     800,    70",
    "aderenza,    2250,    80",
    "aderenza,    3050,   100",
    "aderenza,    3200,    80",
    "aderenza,    5600,   100",
    "aderenza,    6900,    80",
    "aderenza,    9250,   100",
    "aderenza,    9900,    80",
    "aderenza,   10300,   100",
    "aderenza,   15900,    80",
    "aderenza,   17000,    70",
    "aderenza,   18450,    80",
    "aderenza,   18650,    90",
    "aderenza,   19800,   100",
    "aderenza,   26800,    85",
    "aderenza,   27500,    70",
    "aderenza,   28000,    85",
    "aderenza,   28150,    95",
    "aderenza,   28300,   100",
    "[vel_limite]",
    "velocita,       0,    75",
    "velocita,   17050,    65",
    "velocita,   18250,    75",
    "velocita,   22550,    60",
    // The two intermediate stations have 300 m platforms lengthened by 50 m at their far end.
    "[stazioni]",
    "stazione,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  16,57, 0, BORGOROSSO",
    "stazione,    9750, 22,  300,  0, 0, 1,  0,0,0,  4,1,1,    0,   0, 0, 0, SASSOCANDIDO",
    "stazione,   22100, 22,  300,  0, 0, 1,  0,0,0,  4,1,1,    0,   0, 0, 0, PIAN DI SPINAROLA",
    "stazione,   28750,  1,  600,  0, 0, 0,  1,1,0,  2,1,1,    0,  17,27, 0, MONTEGRANO C.",
    "[rallentamenti]",
    // Four pairs, each a warning signal and then the protection signal: the first pair guards the level
    // crossing at 6950 m, the others the three stations after Borgorosso.
    "[segnali]",
    "segnale,    5450,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,    6850,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,    8200,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,    9200,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   20200,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   21700,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   26900,   1, 3, 1,  0, 0,    0,  0,0,0, 245",
    "segnale,   27950,   2, 3, 1,  0, 0,    0,  0,0,0, 245",
    "[codici]",
    "[fine]",
};

}  // namespace

std::span<const std::string_view> trainRunLines() { return kTrainRunLines; }

}  // namespace pack
