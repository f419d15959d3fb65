#include "tool/commands/starter_scenario.h"

namespace pack {
namespace {

// Kilometre posts count up from km 12 at the start, so the level crossing board at 1200 m reads km 13+200.
constexpr std::string_view kRoute[] = {
    "[generale]",
    "lunghezza percorso,    5000",
    "progressiva chilometrica uno,    0,    12000,    0",
    "progressiva chilometrica due,    0,    0,    0",
    "progressiva chilometrica tre,    0,    0,    0",
    "sfondo uno,    0",
    "sfondo due,    1",
    "sfondo tre,    0",
    "ripetizione segnali 4 codici,    0    ,0",
    "[curve]",
    "curvad4,  600,  300",
    "curvas5,  1500,  250",
    "curvad3,  2600,  400",
    "[pendenze]",
    "pendenza,  0,   0",
    "pendenza,  500,   6",
    "pendenza,  1800,   12",
    "pendenza,  3000,   -4",
    "pendenza,  4200,   0",
    "[montagne]",
    "montagna,   2000,  2300,  1",
    "[cartelli]",
    "indicatori_vmax,  2950,  60,  70,  70,  0,  ,  ,  ,  0",
    "[indicazioni]",
    "cartello_indicatore,  1200,   (P.L.      )(Km 13+200)",
    "[fine]",
};

// The train leaves NUOVAPROVA at 8:15, slows to 30 km/h past 2200 m and stops at CAMPOFINTO at 8:21.
constexpr std::string_view kTrainRun[] = {
    "[generale]",
    "numero vetture,    4",
    "percentuale massa frenata,    110",
    "sabbia,    120",
    "orologio,    8              15            0 ",
    "[aderenze]",
    "aderenza,   0,    100",
    "[vel_limite]",
    "velocita,       0,    70",
    "velocita,    2950,    60",
    "[stazioni]",
    "stazione,       0, 12,  300,  1, 0, 0,  4,1,0,  2,1,1,    1,   8,15, 0, NUOVAPROVA",
    "stazione,    4500,  1,  300,  0, 0, 0,  1,1,0,  2,1,1,    0,   8,21, 0, CAMPOFINTO",
    "[rallentamenti]",
    "rallentamento,  2200,  30,  300,  0,  1,  0",
    "[segnali]",
    "segnale,    3000,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,    4100,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "[codici]",
    "[fine]",
};

}  // namespace

std::span<const std::string_view> starterRouteLines() { return kRoute; }
std::span<const std::string_view> starterTrainRunLines() { return kTrainRun; }

}  // namespace pack
