// The notes on the line and on train 517: one paragraph per line, never wrapped. Some paragraphs
// end in one or two blanks, which reach the file as they are.
#include "writers/embedded_tables.h"

namespace pack {
namespace {

constexpr std::string_view kNotesLines[] = {
    "        Regione Valcastrina",
    "Linea Borgorosso-Montegrano C.le.",
    "",
    // The line.
    "La tratta simulata va da Borgorosso a Montegrano Centrale ed è lunga 28,75 km: è a semplice binario, elettrificata a corrente continua, e da Borgorosso esce subito in curva per risalire il fianco della valle con una lunga serie di curve e controcurve.",
    "Poco oltre il secondo chilometro si stacca a sinistra la diramazione per Roccamirtea, oggi percorsa solo da qualche treno merci; il cartello di deviazione la indica insieme a Montegrano C. ",
    "Il treno arriva a Borgorosso dalla diramazione, vi fa regresso e riparte verso Montegrano Centrale: la simulazione comincia a regresso già fatto, con il treno fermo al marciapiede e pronto a partire.",
    "Il profilo è di montagna: la linea sale con pendenze fino al 24 per mille verso il culmine, poco prima del quindicesimo chilometro, e poi scende verso Montegrano con pendenze fino al 22 per mille.",
    "L'aderenza è ridotta in più punti, soprattutto nelle gallerie e nei tratti in ombra del versante nord: nelle salite più ripide conviene usare la sabbia con giudizio e tenere una marcia regolare. ",
    "Sono presenziate soltanto le stazioni di Borgorosso e di Montegrano Centrale; Sassocandido e Pian di Spinarola sono impresenziate e il treno vi si ferma solo per il servizio viaggiatori.",
    "Per un limite della simulazione i fabbricati viaggiatori stanno sempre a sinistra del binario, anche là dove sul posto si trovano a destra. ",
    "Il distanziamento dei treni è affidato al blocco elettrico fra le stazioni: le tre stazioni dopo Borgorosso e il passaggio a livello al settimo chilometro sono protetti da un segnale di avviso e da uno di protezione, tutti a sinistra del binario.",
    "La circolazione è telecomandata da un unico posto centrale a Montegrano, che comanda a distanza gli scambi e i segnali di tutte le stazioni della linea; il macchinista perciò non riceve ordini a voce dal personale di stazione, ma solo le prescrizioni scritte del modulo di rallentamento e le indicazioni dei segnali, che vanno sempre rispettate così come appaiono.",
    "Il tracciato è stato ricostruito da carte e da rilievi fatti a piedi lungo la linea: curve e pendenze sono fedeli entro qualche decina di metri, mentre i raggi delle curve sono arrotondati alle classi che la simulazione conosce.",
    "Il cartello del passaggio a livello subito dopo Borgorosso riporta il Km 153+284 della vecchia numerazione, e non quello della tratta simulata: non è un errore, sul posto è proprio così.  ",
    "",
    // The train.
    "Treno Simulato:",
    "Treno regionale 517 Roccamirtea - Poggiosalice, simulato nella sua tratta da Borgorosso a Montegrano Centrale.",
    "Orario reale: arrivo a Borgorosso alle 15.50 e ripartenza alle 16.57, fermate a Sassocandido alle 17.06 e a Pian di Spinarola alle 17.19, arrivo a Montegrano Centrale alle 17.27 e partenza alle 17.32.",
    "La composizione abituale è di 7 carrozze; nella simulazione le carrozze sono 8, per avere la massa dei giorni di maggiore affollamento, e la percentuale di massa frenata è quella della scheda.",
    "La locomotiva è del gruppo riportato nella scheda treno alla voce Int. alla Sigla, e può superare le salite più dure senza doppia trazione. ",
    "Il personale di macchina arriva a Borgorosso con lo stesso treno e lo riprende dopo il regresso, senza cambio.",
    "La scheda treno e il modulo di rallentamento si trovano nella stessa cartella di questo scenario e si possono stampare.  ",
    "Sono graditi consigli e suggerimenti. Buon lavoro.",
    "",
    // Sign-off.
    "Redazione scenari della Valcastrina",
    "Rilievi, testi e tracciato: gruppo Linee Minori",
    "Prima edizione, settembre 2001",
};

}  // namespace

std::span<const std::string_view> notesLines() { return kNotesLines; }

}  // namespace pack
