// Response of the ITU-R BS.468 passive weighting network (600 ohm terminations), in dB, as the
// weighting tables read it.
#pragma once

// 20·log10 |H(j 2 pi f)| of the network, without any offset: about -18.24 dB at 1 kHz, -12.61 dB at
// 2 kHz and its maximum near 6.3 kHz.
double Itu468NetworkDb(double f);
