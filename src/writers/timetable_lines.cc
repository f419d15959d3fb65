// The timetable sheet of train 517, 26 lines drawn for a fixed-width font. Cells keep their width
// whatever they hold, and a few lines end in blanks because their last cell or bar is followed by one.
#include "writers/embedded_tables.h"

namespace pack {
namespace {

constexpr std::string_view kTimetableLines[] = {
    "",
    "",
    // Boxes A (bars at columns 1 and 21), B (26 and 46) and C (72 and 96), with a free area between B
    // and C. Box C closes on line 6 and box D opens on line 8, so line 7 stops after the middle text.
    "  ___________________      ___________________                           _______________________",
    " |  Fascicolo Linee  |    |      Treno        |                         | Sigla di Composizione |",
    " |     Valcastrina   |    |       517         |     Scheda n° 2/3       |        V140 B         |",
    " |___________________|    |___________________|                         |         105%          |",
    " | Validità          |    | Termine Scheda    |    Da: BORGOROSSO       |_______________________|",
    " | Dal: 30.09.2001   |    |  POGGIOSALICE     |     A: MONTEGRANO C.      ",
    " |___________________|    |___________________|                          _______________________",
    // Boxes E (bars at 1 and 24), F (24 and 46) and D (72, 90 and 96).
    "  ______________________ _____________________                          | Int. alla Sigla |     |",
    " | Classificazione      |   Massa Bloccata    |                         |     E 636       |     | ",
    " |         E            |       360T          |                         |     21/65       |     | ",
    " |______________________|_____________________|                         |_________________|_____|",
    // The timetable: nine heading cells of widths 5, 5, 33, 15, 3, 6, 3, 11 and 3; the rows below split
    // the third into 9 and 23 and merge the last three into one cell of 19.
    "   ____________________________________________________________________________________________",
    "  | Vel.| Vel.|  Prog                           |               |Rec|Bin.Dx|SRS| Simbologia|SRS| ",
    "  | Max.|Marc.|   Km.           Localita'       |     Orario    |   |V. Max| SX|           | DX|",
    "  |_____|_____|_________________________________|_______________|___|______|___|___________|___|",
    "  | 75  | 75  |154.207_ |\\  BORGOROSSO..........|         15.50 |   |  /   |        2          |",
    "  |     |     |160.858  | |                     |               |   |  /   |                   |",
    "  |     |     |151.082  |   SASSOCANDIDO        |     17.06     |   |  /   |                   |",
    "  | 65  | 65  |         |  C.C.Km.143,845       |               |   |  /   |                   |",
    "  | 75  |     |         |  Sott.Km.142,236      |               |   |  /   |                   |",
    "  | 60  | 60  |138.722  |   PIAN DI SPINAROLA   |     17.19     |1.5|  /   |                   |",
    "  |     |     |132.107  |   MONTEGRANO..........| 17.27   17.32 |   |  /   |                   |",
    "  |_____|_____|_________|_______________________|_______________|___|______|___________________| ",
    "",
};

}  // namespace

std::span<const std::string_view> timetableLines() { return kTimetableLines; }

}  // namespace pack
