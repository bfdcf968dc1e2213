// A pair of descriptions with several independent errors in both files, for
// the tests of the checker and of `scenario check`. The comments give each
// faulty line and the column of the field the error points at.
#ifndef SCENARIO_TESTS_CHECKING_FAULTY_PAIR_H_
#define SCENARIO_TESTS_CHECKING_FAULTY_PAIR_H_

namespace scenario::testing {

// Several independent errors in both files (line and column in comments).
inline const char* const faulty_line =
    "[generale]\r\n"                                              // 1
    "lunghezza percorso,    5000\r\n"                             // 2
    "ripetizione segnali 4 codici,    520    ,0\r\n"              // 3: 34
    "[curve]\r\n"                                                 // 4
    "curvad7,  100,  200\r\n"                                     // 5: 1
    "[cartelli]\r\n"                                              // 6
    "indicatori_vmax,  1000,  90,  95,  95,  0,  ,  ,  ,  0\r\n"  // 7
    "indicatori_vmax,  1000,  90,  95,  95,  1,  ,  ,  ,  0\r\n"  // 8: 19
    "[indicazioni]\r\n"                                           // 9
    "cartello_indicatore,  99950,   (X)\r\n"                      // 10: 23
    "cartello_indicatore,  2000,   (A)\r\n"                       // 11
    "cartello_indicatore,  2000,   (B)\r\n"                       // 12: 23
    "[fine]\r\n";
inline const char* const faulty_train =
    "[generale]\r\n"                // 1
    "numero vetture,    sette\r\n"  // 2: 20
    "[vel_limite]\r\n"              // 3
    "velocita,   0,    30\r\n"      // 4
    "[stazioni]\r\n"                // 5
    "stazione,     225, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   7, 5, "
    "0, A\r\n"  // 6: 15
    "stazione,    3000, 12,  650,  1, 1, 1,  4,1,0,  2,1,1,    1,   7, 5, "
    "0, B\r\n"                                                 // 7: 25
    "[segnali]\r\n"                                            // 8
    "segnale,    1500,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"  // 9
    "segnale,    1500,   2, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"  // 10: 13
    "segnale,    4000,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"  // 11
    "[fine]\r\n";

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_CHECKING_FAULTY_PAIR_H_
