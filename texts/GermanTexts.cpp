// German texts of the table, one entry per id from TEXT_ID_FIRST.
#include "texts/TableTexts.h"

const std::array<const char*, TEXT_COUNT> kGermanTexts = {
    /* 1000015 */ "Calibration",  // TRANSLATE
    /* 1000016 */ "Reference level",  // TRANSLATE
    /* 1000017 */ "Folder with saved reports",  // TRANSLATE
    /* 1000018 */ "Folder to store the report",  // TRANSLATE
    /* 1000019 */ "Sine",  // TRANSLATE
    /* 1000020 */ "File",  // TRANSLATE
    /* 1000021 */ "not used",  // TRANSLATE
    /* 1000022 */ "not used",  // TRANSLATE
    /* 1000023 */ "not used",  // TRANSLATE
    /* 1000024 */ "Measurement",  // TRANSLATE
    /* 1000025 */ "Peak",  // TRANSLATE
    /* 1000026 */ "Level",  // TRANSLATE
    /* 1000027 */ "On",  // TRANSLATE
    /* 1000028 */ "Off",  // TRANSLATE
    /* 1000029 */ "Slope",  // TRANSLATE
    /* 1000030 */ "Frequency",  // TRANSLATE
    /* 1000031 */ "Time",  // TRANSLATE
    /* 1000032 */ "Input",  // TRANSLATE
    /* 1000033 */ "Output",  // TRANSLATE
    /* 1000034 */ "Input level",  // TRANSLATE
    /* 1000035 */ "Reverberation time",  // TRANSLATE
    /* 1000036 */ "Frequency response",  // TRANSLATE
    /* 1000037 */ "Phase response",  // TRANSLATE
    /* 1000038 */ "Delay",  // TRANSLATE
    /* 1000039 */ "Group delay",  // TRANSLATE
    /* 1000040 */ "Error",  // TRANSLATE
    /* 1000041 */ "Octave",  // TRANSLATE
    /* 1000042 */ "Cursor",  // TRANSLATE
    /* 1000043 */ "Inband level",  // TRANSLATE
    /* 1000044 */ "Marker",  // keep English
    /* 1000045 */ "Progress",  // TRANSLATE
    /* 1000046 */ "Measurement of reverberation time summary report",  // TRANSLATE
    /* 1000047 */ "Measurement of reverberation time detailed report",  // TRANSLATE
    /* 1000048 */ "Sample Rate",  // TRANSLATE
    /* 1000049 */ "Sequence",  // TRANSLATE
    /* 1000050 */ "Points",  // TRANSLATE
    /* 1000051 */ "Length",  // TRANSLATE
    /* 1000052 */ "Distortion",  // TRANSLATE
    /* 1000053 */ "Threshold",  // TRANSLATE
    /* 1000054 */ "Dynamic",  // TRANSLATE
    /* 1000055 */ "from",  // TRANSLATE
    /* 1000056 */ "to",  // TRANSLATE
    /* 1000057 */ "Display",  // TRANSLATE
    /* 1000058 */ "Range",  // TRANSLATE
    /* 1000059 */ "Calibrator",  // TRANSLATE
    /* 1000060 */ "Signal",  // keep English
    /* 1000061 */ "calibration",  // TRANSLATE
    /* 1000062 */ "before",  // TRANSLATE
    /* 1000063 */ "after",  // TRANSLATE
    /* 1000064 */ "offset",  // TRANSLATE
    /* 1000065 */ "Silence",  // TRANSLATE
    /* 1000066 */ "Analysis",  // TRANSLATE
    /* 1000067 */ "Error: Sine frequency at %.2fHz not detected. Peak found at  %.2fHz\n",  // TRANSLATE
    /* 1000068 */ "High resolution noise analysis",  // TRANSLATE
    /* 1000069 */ "at",  // TRANSLATE
    /* 1000070 */ "Room impulse response",  // TRANSLATE
    /* 1000071 */ "Impulse",  // TRANSLATE
    /* 1000072 */ "Energy decay curve (Schroeder plot)",  // TRANSLATE
    /* 1000073 */ "octave bands",  // TRANSLATE
    /* 1000074 */ "Error index",  // TRANSLATE
    /* 1000075 */ "detailed results",  // TRANSLATE
    /* 1000076 */ "This measurement was not correct. Please look at the details for analyzing.",  // TRANSLATE
    /* 1000077 */ "Failed Finding Signal Generator Application",  // TRANSLATE
    /* 1000078 */ "Value",  // TRANSLATE
    /* 1000079 */ "not used",  // TRANSLATE
    /* 1000080 */ "not used",  // TRANSLATE
    /* 1000081 */ "Chirp stop frequency must be larger than the start frequency",  // TRANSLATE
    /* 1000082 */ "Chirp stop frequency is limited to half the sample rate",  // TRANSLATE
    /* 1000083 */ "FFT size has been set to %i to fit the desired MLS lengths",  // TRANSLATE
    /* 1000084 */ "Warning: small blocksizes below 512 may cause trouble\nwith some soundcards. Use at your own risk.",  // TRANSLATE
    /* 1000085 */ "Display properties",  // TRANSLATE
    /* 1000086 */ "black",  // TRANSLATE
    /* 1000087 */ "blue",  // TRANSLATE
    /* 1000088 */ "green",  // TRANSLATE
    /* 1000089 */ "red",  // TRANSLATE
    /* 1000090 */ "yellow",  // TRANSLATE
    /* 1000091 */ "white",  // TRANSLATE
    /* 1000092 */ "grey",  // TRANSLATE
    /* 1000093 */ "light grey",  // TRANSLATE
    /* 1000094 */ "dark grey",  // TRANSLATE
    /* 1000095 */ "light blue",  // TRANSLATE
    /* 1000096 */ "cyan",  // keep English
    /* 1000097 */ "magenta",  // keep English
    /* 1000098 */ "brown",  // TRANSLATE
    /* 1000099 */ "orange",  // keep English
    /* 1000100 */ "purple",  // TRANSLATE
    /* 1000101 */ "olive",  // TRANSLATE
    /* 1000102 */ "gold",  // keep English
    /* 1000103 */ "beige",  // keep English
    /* 1000104 */ "indigo",  // keep English
    /* 1000105 */ "turquoise",  // TRANSLATE
    /* 1000106 */ "Overlay #%i already exists, do you want to:",  // TRANSLATE
    /* 1000107 */ "Folder to store the report",  // TRANSLATE
    /* 1000108 */ "axis",  // TRANSLATE
    /* 1000109 */ "copy to clipboard",  // TRANSLATE
    /* 1000110 */ "transpose",  // TRANSLATE
    /* 1000111 */ "results",  // TRANSLATE
    /* 1000112 */ "Cancel",  // TRANSLATE
    /* 1000113 */ "Clarity",  // TRANSLATE
    /* 1000114 */ "Definition",  // TRANSLATE
    /* 1000115 */ "Room acoustics",  // TRANSLATE
    /* 1000116 */ "There are no Marker defined.",  // TRANSLATE
    /* 1000117 */ "samples",  // TRANSLATE
    /* 1000118 */ "loaded",  // TRANSLATE
    /* 1000119 */ "Impulse analysis report",  // TRANSLATE
    /* 1000120 */ "settings",  // TRANSLATE
    /* 1000121 */ "Calibrating gain and level at %.0fHz",  // TRANSLATE
    /* 1000122 */ "Error: The sine signal is not clean. THD+N (%.2fdB %.3f%%)is too low.",  // TRANSLATE
    /* 1000123 */ "Power spectrum with chirp signal for headroom analysis",  // TRANSLATE
    /* 1000124 */ "not used",  // TRANSLATE
    /* 1000125 */ "not used",  // TRANSLATE
    /* 1000126 */ "Measurement ambient noise with generator muted",  // TRANSLATE
    /* 1000127 */ "extrapolate",  // TRANSLATE
    /* 1000128 */ "noise floor",  // TRANSLATE
    /* 1000129 */ "impedance",  // TRANSLATE
    /* 1000130 */ "phase",  // TRANSLATE
    /* 1000131 */ "amplitude",  // TRANSLATE
    /* 1000132 */ "correlation",  // TRANSLATE
    /* 1000133 */ "setup page",  // TRANSLATE
    /* 1000134 */ "print annotations",  // TRANSLATE
    /* 1000135 */ "window title",  // TRANSLATE
    /* 1000136 */ "Annotate for printing (CTRL+ENTER for new line)",  // TRANSLATE
    /* 1000137 */ "Select file",  // TRANSLATE
    /* 1000138 */ "include header",  // TRANSLATE
    /* 1000139 */ "Export measurement data",  // TRANSLATE
    /* 1000140 */ "Microphone calibration",  // TRANSLATE
    /* 1000141 */ "Channel",  // TRANSLATE
    /* 1000142 */ "update",  // TRANSLATE
    /* 1000143 */ "enable microphone calibration",  // TRANSLATE
    /* 1000144 */ "display calibration data",  // TRANSLATE
    /* 1000145 */ "use for all channels",  // TRANSLATE
    /* 1000146 */ "Browse for calibration file",  // TRANSLATE
    /* 1000147 */ "No file loaded",  // TRANSLATE
    /* 1000148 */ "size",  // TRANSLATE
    /* 1000149 */ "folder",  // TRANSLATE
    /* 1000150 */ "load",  // TRANSLATE
    /* 1000151 */ "save",  // TRANSLATE
    /* 1000152 */ "reset",  // TRANSLATE
    /* 1000153 */ "display reference",  // TRANSLATE
    /* 1000154 */ "apply reference",  // TRANSLATE
    /* 1000155 */ "saved",  // TRANSLATE
    /* 1000156 */ "reference measurement",  // TRANSLATE
    /* 1000157 */ "Frequency sweep",  // TRANSLATE
    /* 1000158 */ "Level sweep",  // TRANSLATE
    /* 1000159 */ "steps",  // TRANSLATE
    /* 1000160 */ "duration",  // TRANSLATE
    /* 1000161 */ "logarithmic",  // TRANSLATE
    /* 1000162 */ "Start",  // keep English
    /* 1000163 */ "Stop",  // TRANSLATE
    /* 1000164 */ "per",  // TRANSLATE
    /* 1000165 */ "step",  // TRANSLATE
    /* 1000166 */ "Channel matrix",  // TRANSLATE
    /* 1000167 */ "all off",  // TRANSLATE
    /* 1000168 */ "all on",  // TRANSLATE
    /* 1000169 */ "scale",  // TRANSLATE
    /* 1000170 */ "style",  // TRANSLATE
    /* 1000171 */ "line",  // TRANSLATE
    /* 1000172 */ "female",  // TRANSLATE
    /* 1000173 */ "male",  // TRANSLATE
    /* 1000174 */ "gender",  // TRANSLATE
    /* 1000175 */ "rating",  // TRANSLATE
    /* 1000176 */ "bad",  // TRANSLATE
    /* 1000177 */ "poor",  // TRANSLATE
    /* 1000178 */ "fair",  // TRANSLATE
    /* 1000179 */ "good",  // TRANSLATE
    /* 1000180 */ "excellent",  // TRANSLATE
    /* 1000181 */ "other",  // TRANSLATE
    /* 1000182 */ "peak level",  // TRANSLATE
    /* 1000183 */ "peak position",  // TRANSLATE
    /* 1000184 */ "phase difference",  // TRANSLATE
    /* 1000185 */ "RMS at track. frequency",  // TRANSLATE
    /* 1000186 */ "Harmonic",  // TRANSLATE
    /* 1000187 */ "octave filterbank",  // TRANSLATE
    /* 1000188 */ "enable filterbank",  // TRANSLATE
    /* 1000189 */ "use stop-band filter",  // TRANSLATE
    /* 1000190 */ "center frequency",  // TRANSLATE
    /* 1000191 */ "measurement resistor",  // TRANSLATE
    /* 1000192 */ "dual channel real-time processing",  // TRANSLATE
    /* 1000193 */ "time domain",  // TRANSLATE
    /* 1000194 */ "frequency domain",  // TRANSLATE
    /* 1000195 */ "post processing",  // TRANSLATE
    /* 1000196 */ "integrate",  // TRANSLATE
    /* 1000197 */ "differentiate",  // TRANSLATE
    /* 1000198 */ "exchange R and L",  // TRANSLATE
    /* 1000199 */ "linear scaling",  // TRANSLATE
    /* 1000200 */ "correlometer",  // TRANSLATE
    /* 1000201 */ "SQRT correlometer",  // TRANSLATE
    /* 1000202 */ "Sweep",  // TRANSLATE
    /* 1000203 */ "linear",  // keep English
    /* 1000204 */ "enable",  // TRANSLATE
    /* 1000205 */ "constant envelope",  // TRANSLATE
    /* 1000206 */ "constant spectral density",  // TRANSLATE
    /* 1000207 */ "pulse widths",  // TRANSLATE
    /* 1000208 */ "double click to configure",  // TRANSLATE
    /* 1000209 */ "frequency presets",  // TRANSLATE
    /* 1000210 */ "Burst generator",  // TRANSLATE
    /* 1000211 */ "on time",  // TRANSLATE
    /* 1000212 */ "off time",  // TRANSLATE
    /* 1000213 */ "start with zero phase",  // TRANSLATE
    /* 1000214 */ "amplitude modulation",  // TRANSLATE
    /* 1000215 */ "frequency modulation",  // TRANSLATE
    /* 1000216 */ "balance",  // TRANSLATE
    /* 1000217 */ "is full scale",  // TRANSLATE
    /* 1000218 */ "measurements per minute",  // TRANSLATE
    /* 1000219 */ "duration in minutes",  // TRANSLATE
    /* 1000220 */ "Datalogger",  // TRANSLATE
    /* 1000221 */ "Stepsize for frequency control",  // TRANSLATE
    /* 1000222 */ "automatic (mouse control)",  // TRANSLATE
    /* 1000223 */ "mod. index",  // TRANSLATE
    /* 1000224 */ "frequency shift",  // TRANSLATE
    /* 1000225 */ "statistics",  // TRANSLATE
    /* 1000226 */ "advanced settings",  // TRANSLATE
    /* 1000227 */ "apply DSP and filter effects to channel 1 only",  // TRANSLATE
    /* 1000228 */ "hours",  // TRANSLATE
    /* 1000229 */ "days",  // TRANSLATE
    /* 1000230 */ "hour",  // TRANSLATE
    /* 1000231 */ "day",  // TRANSLATE
    /* 1000232 */ "DC offset",  // TRANSLATE
    /* 1000233 */ "about",  // TRANSLATE
    /* 1000234 */ "channels",  // TRANSLATE
    /* 1000235 */ "not used",  // TRANSLATE
    /* 1000236 */ "Speech intelligibility",  // TRANSLATE
    /* 1000237 */ "Output level",  // TRANSLATE
    /* 1000238 */ "line style",  // TRANSLATE
    /* 1000239 */ "color",  // TRANSLATE
    /* 1000240 */ "width",  // TRANSLATE
    /* 1000241 */ "solid",  // TRANSLATE
    /* 1000242 */ "dashed",  // TRANSLATE
    /* 1000243 */ "dotted",  // TRANSLATE
    /* 1000244 */ "dashdot",  // TRANSLATE
    /* 1000245 */ "curve",  // TRANSLATE
    /* 1000246 */ "grid",  // TRANSLATE
    /* 1000247 */ "properties",  // TRANSLATE
    /* 1000248 */ "active",  // TRANSLATE
    /* 1000249 */ "label",  // TRANSLATE
    /* 1000250 */ "filter",  // TRANSLATE
    /* 1000251 */ "designer",  // TRANSLATE
    /* 1000252 */ "frequency",  // TRANSLATE
    /* 1000253 */ "passband ripple",  // TRANSLATE
    /* 1000254 */ "lower",  // TRANSLATE
    /* 1000255 */ "upper",  // TRANSLATE
    /* 1000256 */ "stopband filter",  // TRANSLATE
    /* 1000257 */ "cascade",  // TRANSLATE
    /* 1000258 */ "preview",  // TRANSLATE
    /* 1000259 */ "copy curve as overlay",  // TRANSLATE
    /* 1000260 */ "refresh",  // TRANSLATE
    /* 1000261 */ "zoom",  // TRANSLATE
    /* 1000262 */ "type",  // TRANSLATE
    /* 1000263 */ "order",  // TRANSLATE
    /* 1000264 */ "paramViewer",  // TRANSLATE
    /* 1000265 */ "vertical",  // TRANSLATE
    /* 1000266 */ "background",  // TRANSLATE
    /* 1000267 */ "scale mode",  // TRANSLATE
    /* 1000268 */ "parameter",  // TRANSLATE
    /* 1000269 */ "auto",  // keep English
    /* 1000270 */ "use measured",  // TRANSLATE
    /* 1000271 */ "foreground",  // TRANSLATE
    /* 1000272 */ "frequency band",  // TRANSLATE
    /* 1000273 */ "frequency bands",  // TRANSLATE
    /* 1000274 */ "invalid %s file",  // TRANSLATE
    /* 1000275 */ "File length for impulse viewer is limited to %.0fs.\nPlease seperate it with a file editor.",  // TRANSLATE
    /* 1000276 */ "Audio recorder stopped.",  // TRANSLATE
    /* 1000277 */ "full span",  // TRANSLATE
    /* 1000278 */ "invert direction",  // TRANSLATE
    /* 1000279 */ "use greyscale color map",  // TRANSLATE
    /* 1000280 */ "swap frequency and time",  // TRANSLATE
    /* 1000281 */ "reverse time-axis",  // TRANSLATE
    /* 1000282 */ "reverse frequency axis",  // TRANSLATE
    /* 1000283 */ "spectrogram",  // TRANSLATE
    /* 1000284 */ "reverb. time",  // TRANSLATE
    /* 1000285 */ "generator",  // TRANSLATE
    /* 1000286 */ "generators",  // TRANSLATE
    /* 1000287 */ "outdated",  // TRANSLATE
    /* 1000288 */ "setup",  // TRANSLATE
    /* 1000289 */ "average",  // TRANSLATE
    /* 1000290 */ "plot in %",  // TRANSLATE
    /* 1000291 */ "display refresh rate",  // TRANSLATE
    /* 1000292 */ "rectangular",  // TRANSLATE
    /* 1000293 */ "rectangle",  // TRANSLATE
    /* 1000294 */ "weighting",  // TRANSLATE
    /* 1000295 */ "sequence size",  // TRANSLATE
    /* 1000296 */ "MLS Chirp pseude noise",  // TRANSLATE
    /* 1000297 */ "window function",  // TRANSLATE
    /* 1000298 */ "impulse response",  // TRANSLATE
    /* 1000299 */ "oscilloscope",  // TRANSLATE
    /* 1000300 */ "mode",  // TRANSLATE
    /* 1000301 */ "time window",  // TRANSLATE
    /* 1000302 */ "bars",  // TRANSLATE
    /* 1000303 */ "number of %s",  // TRANSLATE
    /* 1000304 */ "decay",  // TRANSLATE
    /* 1000305 */ "peak hold",  // TRANSLATE
    /* 1000306 */ "bar graph",  // TRANSLATE
    /* 1000307 */ "show",  // TRANSLATE
    /* 1000308 */ "one value per line",  // TRANSLATE
    /* 1000309 */ "frequencies",  // TRANSLATE
    /* 1000310 */ "frame",  // TRANSLATE
    /* 1000311 */ "for printing",  // TRANSLATE
    /* 1000312 */ "default",  // TRANSLATE
    /* 1000313 */ "interpolate",  // TRANSLATE
    /* 1000314 */ "harmonics",  // TRANSLATE
    /* 1000315 */ "odd",  // TRANSLATE
    /* 1000316 */ "even",  // TRANSLATE
    /* 1000317 */ "'JET' color",  // TRANSLATE
    /* 1000318 */ "history depths",  // TRANSLATE
    /* 1000319 */ "special",  // TRANSLATE
    /* 1000320 */ "smoothing",  // TRANSLATE
    /* 1000321 */ "math",  // TRANSLATE
    /* 1000322 */ "only",  // TRANSLATE
    /* 1000323 */ "maximum",  // TRANSLATE
    /* 1000324 */ "minimum",  // TRANSLATE
    /* 1000325 */ "sliding average",  // TRANSLATE
    /* 1000326 */ "You will find much more real-time processing in the DSP section.",  // TRANSLATE
    /* 1000327 */ "Decimate Mode",  // TRANSLATE
    /* 1000328 */ "sum",  // TRANSLATE
    /* 1000329 */ "envelope",  // TRANSLATE
    /* 1000330 */ "reduction",  // TRANSLATE
    /* 1000331 */ "solid fill",  // TRANSLATE
    /* 1000332 */ "load %s",  // TRANSLATE
    /* 1000333 */ "texture",  // TRANSLATE
    /* 1000334 */ "Show help text",  // TRANSLATE
    /* 1000335 */ "lines",  // TRANSLATE
    /* 1000336 */ "overlay",  // TRANSLATE
    /* 1000337 */ "overlays",  // TRANSLATE
    /* 1000338 */ "name",  // TRANSLATE
    /* 1000339 */ "names",  // TRANSLATE
    /* 1000340 */ "hide all",  // TRANSLATE
    /* 1000341 */ "show all",  // TRANSLATE
    /* 1000342 */ "selection",  // TRANSLATE
    /* 1000343 */ "store %s to %s",  // TRANSLATE
    /* 1000344 */ "select %s",  // TRANSLATE
    /* 1000345 */ "second",  // TRANSLATE
    /* 1000346 */ "use a constant",  // TRANSLATE
    /* 1000347 */ "operation",  // TRANSLATE
    /* 1000348 */ "data",  // TRANSLATE
    /* 1000349 */ "Set as Overlay",  // TRANSLATE
    /* 1000350 */ "Load a text file",  // TRANSLATE
    /* 1000351 */ "Save to a text file",  // TRANSLATE
    /* 1000352 */ "Dynamic overlay",  // TRANSLATE
    /* 1000353 */ "Auto load frequency response limits",  // TRANSLATE
    /* 1000354 */ "data format",  // TRANSLATE
    /* 1000355 */ "load to %s",  // TRANSLATE
    /* 1000356 */ "overwrite",  // TRANSLATE
    /* 1000357 */ "add",  // TRANSLATE
    /* 1000358 */ "subtract",  // TRANSLATE
    /* 1000359 */ "multiply",  // TRANSLATE
    /* 1000360 */ "divide",  // TRANSLATE
    /* 1000361 */ "no signal",  // TRANSLATE
    /* 1000362 */ "no value",  // TRANSLATE
    /* 1000363 */ "factor",  // TRANSLATE
    /* 1000364 */ "not used",  // TRANSLATE
    /* 1000365 */ "STI Signal to Noise Ratio (SNR)",  // TRANSLATE
    /* 1000366 */ "Save RMS as Signal",  // TRANSLATE
    /* 1000367 */ "Save RMS as Noise",  // TRANSLATE
    /* 1000368 */ "Trigger",  // keep English
    /* 1000369 */ "Trigger on negative slope",  // TRANSLATE
    /* 1000370 */ "one Shot",  // TRANSLATE
    /* 1000371 */ "continously",  // TRANSLATE
    /* 1000372 */ "use trigger for scope only",  // TRANSLATE
    /* 1000373 */ "Mode",  // TRANSLATE
    /* 1000374 */ "Trigger if below threshold",  // TRANSLATE
    /* 1000375 */ "Delay in ms. Negative values for pre-trigger.",  // TRANSLATE
    /* 1000376 */ "Trigger threshold",  // TRANSLATE
    /* 1000377 */ "bits",  // TRANSLATE
    /* 1000378 */ "monitor",  // TRANSLATE
    /* 1000379 */ "%s is already running. Do you want to abort it?",  // TRANSLATE
    /* 1000380 */ "directivity measurement",  // TRANSLATE
    /* 1000381 */ "sweep measurement",  // TRANSLATE
    /* 1000382 */ "%s not available",  // TRANSLATE
    /* 1000383 */ "This channel is not active, please activate it first",  // TRANSLATE
    /* 1000384 */ "%s must be larger than %s",  // TRANSLATE
    /* 1000385 */ "%s must not be negative",  // TRANSLATE
    /* 1000386 */ "negative x axis range can't be logarithmic",  // TRANSLATE
    /* 1000387 */ "not used",  // TRANSLATE
    /* 1000388 */ "not used",  // TRANSLATE
    /* 1000389 */ "The system is already calibrated.\nIf you want make a new calibration use 'Yes'",  // TRANSLATE
    /* 1000390 */ "The minimum sweep frequency is %.1fHz. But the frequency resolution with a FFT size of %i is %.1fHz.\nWe recommend setting the FFT size to at least %i or use a higher sweep frequency",  // TRANSLATE
    /* 1000391 */ "The aquisition time for one step is %.1fms. It is determined by the FFT size (%i), sample rate (%.0f) and number of averages (%i).\nWe recommend setting the settling time to at least %.1fms or decrease the FFT size.",  // TRANSLATE
    /* 1000392 */ "At least one curve must be visible",  // TRANSLATE
    /* 1000393 */ "%s contains no data",  // TRANSLATE
    /* 1000394 */ "%s must not be negative or zero",  // TRANSLATE
    /* 1000395 */ "%s must be monotonic",  // TRANSLATE
    /* 1000396 */ "not used",  // TRANSLATE
    /* 1000397 */ "Export data",  // keep English
    /* 1000398 */ "Load/Save Reference",  // keep English
    /* 1000399 */ "Mic. calibration",  // keep English
    /* 1000400 */ "New",  // TRANSLATE
    /* 1000401 */ "Open...",  // TRANSLATE
    /* 1000402 */ "Save As...",  // TRANSLATE
    /* 1000403 */ "Load config",  // keep English
    /* 1000404 */ "Save config",  // keep English
    /* 1000405 */ "Save state",  // keep English
    /* 1000406 */ "Analyze wave file",  // keep English
    /* 1000407 */ "Stop wave file analyzer",  // keep English
    /* 1000408 */ "Print...",  // keep English
    /* 1000409 */ "Print Preview",  // keep English
    /* 1000410 */ "Print Setup...",  // keep English
    /* 1000411 */ "Page Settings",  // keep English
    /* 1000412 */ "Recent File",  // keep English
    /* 1000413 */ "Edit",  // keep English
    /* 1000414 */ "Undo",  // keep English
    /* 1000415 */ "Cut",  // keep English
    /* 1000416 */ "Copy",  // keep English
    /* 1000417 */ "Copy as Bitmap",  // keep English
    /* 1000418 */ "Options",  // keep English
    /* 1000419 */ "Trigger Settings",  // keep English
    /* 1000420 */ "Impedance Settings",  // keep English
    /* 1000421 */ "Channel configuration",  // keep English
    /* 1000422 */ "Calibrate levels",  // keep English
    /* 1000423 */ "Adv. Settings",  // keep English
    /* 1000424 */ "Synchronize",  // keep English
    /* 1000425 */ "Preferences",  // keep English
    /* 1000426 */ "Plug-Ins",  // keep English
    /* 1000427 */ "Tracking/sweep measurements",  // keep English
    /* 1000428 */ "2D frequency level sweep",  // keep English
    /* 1000429 */ "Plot results",  // keep English
    /* 1000430 */ "Load results",  // keep English
    /* 1000431 */ "Save results",  // keep English
    /* 1000432 */ "Copy results",  // keep English
    /* 1000433 */ "Data logger",  // keep English
    /* 1000434 */ "Polar / Directivity",  // keep English
    /* 1000435 */ "Sweep settings",  // keep English
    /* 1000436 */ "Level monitor",  // keep English
    /* 1000437 */ "LEQ",  // keep English
    /* 1000438 */ "Time correlation",  // keep English
    /* 1000439 */ "Goniometer/ Vectorscope",  // keep English
    /* 1000440 */ "Flutrix/wow and flutter",  // keep English
    /* 1000441 */ "Demodulator",  // keep English
    /* 1000442 */ "3D waterfall",  // keep English
    /* 1000443 */ "Start/Stop",  // keep English
    /* 1000444 */ "Histogram",  // keep English
    /* 1000445 */ "Phontetogram",  // keep English
    /* 1000446 */ "Phonetogram",  // keep English
    /* 1000447 */ "64-bit FFT",  // keep English
    /* 1000448 */ "Audio recorder",  // TRANSLATE
    /* 1000449 */ "VST",  // keep English
    /* 1000450 */ "External input driver",  // keep English
    /* 1000451 */ "configure external input driver",  // keep English
    /* 1000452 */ "Octave RTA",  // keep English
    /* 1000453 */ "1/3 octave RTA",  // keep English
    /* 1000454 */ "1/N octave RTA",  // keep English
    /* 1000455 */ "Loudness (sone)",  // keep English
    /* 1000456 */ "Specific Loudness",  // keep English
    /* 1000457 */ "Tonality (DIN45681)",  // keep English
    /* 1000458 */ "Calc. STI+RASTI",  // keep English
    /* 1000459 */ "Display STI+RASTI",  // keep English
    /* 1000460 */ "Save STI results",  // keep English
    /* 1000461 */ "STI-PA",  // keep English
    /* 1000462 */ "1/3 octave plot",  // keep English
    /* 1000463 */ "1/1 octave plot",  // keep English
    /* 1000464 */ "Energy decay",  // keep English
    /* 1000465 */ "Use current measurement",  // keep English
    /* 1000466 */ "load  file",  // keep English
    /* 1000467 */ "Save to .txt file",  // keep English
    /* 1000468 */ "Auto update",  // keep English
    /* 1000469 */ "Unload",  // keep English
    /* 1000470 */ "Plot impulse",  // keep English
    /* 1000471 */ "Plot energy time curve",  // keep English
    /* 1000472 */ "Plot step response",  // keep English
    /* 1000473 */ "Plot freq. response",  // keep English
    /* 1000474 */ "Plot phase response",  // keep English
    /* 1000475 */ "Plot group delay",  // keep English
    /* 1000476 */ "Plot energy decay",  // keep English
    /* 1000477 */ "Plot reverberation vs. frequency",  // keep English
    /* 1000478 */ "Measurement series",  // keep English
    /* 1000479 */ "DSP",  // keep English
    /* 1000480 */ "1/3 octave filterbank",  // keep English
    /* 1000481 */ "1kHz notch",  // keep English
    /* 1000482 */ "DC block",  // keep English
    /* 1000483 */ "RIAA",  // keep English
    /* 1000484 */ "Free filter",  // keep English
    /* 1000485 */ "Filter #1",  // keep English
    /* 1000486 */ "Filter #2",  // keep English
    /* 1000487 */ "Filter #3",  // keep English
    /* 1000488 */ "Filter #4",  // keep English
    /* 1000489 */ "Filter #5",  // keep English
    /* 1000490 */ "Filter #6",  // keep English
    /* 1000491 */ "Filter #7",  // keep English
    /* 1000492 */ "Filter #8",  // keep English
    /* 1000493 */ "Filter #9",  // keep English
    /* 1000494 */ "Hum",  // keep English
    /* 1000495 */ "Wizards",  // keep English
    /* 1000496 */ "Quick calibration",  // keep English
    /* 1000497 */ "LIVE Monitor",  // keep English
    /* 1000498 */ "Freq. response with MLS",  // keep English
    /* 1000499 */ "Presets",  // keep English
    /* 1000500 */ "Preset 1",  // keep English
    /* 1000501 */ "Preset 2",  // keep English
    /* 1000502 */ "Preset 3",  // keep English
    /* 1000503 */ "Preset 4",  // keep English
    /* 1000504 */ "Preset 5",  // keep English
    /* 1000505 */ "Preset 6",  // keep English
    /* 1000506 */ "Preset 7",  // keep English
    /* 1000507 */ "Preset 8",  // keep English
    /* 1000508 */ "Preset 9",  // keep English
    /* 1000509 */ "Preset 10",  // keep English
    /* 1000510 */ "Overlay 1",  // keep English
    /* 1000511 */ "Overlay 2",  // keep English
    /* 1000512 */ "Overlay 3",  // keep English
    /* 1000513 */ "Overlay 4",  // keep English
    /* 1000514 */ "Overlay 5",  // keep English
    /* 1000515 */ "Overlay 6",  // keep English
    /* 1000516 */ "Overlay 7",  // keep English
    /* 1000517 */ "Overlay 8",  // keep English
    /* 1000518 */ "Overlay 9",  // keep English
    /* 1000519 */ "ASIO",  // keep English
    /* 1000520 */ "select ASIO",  // keep English
    /* 1000521 */ "Configure",  // keep English
    /* 1000522 */ "View",  // keep English
    /* 1000523 */ "Toolbar",  // keep English
    /* 1000524 */ "Status Bar",  // keep English
    /* 1000525 */ "Legend",  // keep English
    /* 1000526 */ "Measurements curve 1",  // keep English
    /* 1000527 */ "Measurements curve 2",  // keep English
    /* 1000528 */ "Musical notes",  // keep English
    /* 1000529 */ "Add ParamView",  // keep English
    /* 1000530 */ "Align ParamViews",  // keep English
    /* 1000531 */ "Show results",  // keep English
    /* 1000532 */ "Windows",  // keep English
    /* 1000533 */ "New Window",  // keep English
    /* 1000534 */ "Tile",  // keep English
    /* 1000535 */ "Arrange Icons",  // keep English
    /* 1000536 */ "Help",  // keep English
    /* 1000537 */ "not used",  // TRANSLATE
    /* 1000538 */ "Exit",  // keep English
    /* 1000539 */ "Paste",  // keep English
    /* 1000540 */ "Language",  // keep English
    /* 1000541 */ "Plot Harmonics",  // keep English
    /* 1000542 */ "Plot settings",  // keep English
    /* 1000543 */ "Config",  // keep English
    /* 1000544 */ "SNR",  // keep English
    /* 1000545 */ "Save .wav file",  // keep English
    /* 1000546 */ "Narrow band analysis",  // keep English
    /* 1000547 */ "Production test",  // keep English
    /* 1000548 */ "Filter #10",  // keep English
    /* 1000549 */ "Room impulse with MLS",  // keep English
    /* 1000550 */ "Overlay 10",  // keep English
    /* 1000551 */ "ASIO Generator #1",  // keep English
    /* 1000552 */ "ASIO Generator #2",  // keep English
    /* 1000553 */ "ASIO Generator #3",  // keep English
    /* 1000554 */ "ASIO Generator #4",  // keep English
    /* 1000555 */ "ASIO Generator #5",  // keep English
    /* 1000556 */ "ASIO Generator #6",  // keep English
    /* 1000557 */ "ASIO Generator #7",  // keep English
    /* 1000558 */ "ASIO Generator #8",  // keep English
    /* 1000559 */ "ASIO Generator #9",  // keep English
    /* 1000560 */ "ASIO Generator #10",  // keep English
    /* 1000561 */ "Link generators",  // keep English
    /* 1000562 */ "Volume",  // keep English
    /* 1000563 */ "Frequency (Factor)",  // keep English
    /* 1000564 */ "Frequency (Diff)",  // keep English
    /* 1000565 */ "Output Matrix",  // keep English
    /* 1000566 */ "Test signal",  // keep English
    /* 1000567 */ "Tracking Level",  // keep English
    /* 1000568 */ "Show Marker",  // keep English
    /* 1000569 */ "1 Unbenannt",  // keep English
    /* 1000570 */ "Halvek",  // keep English
    /* 1000571 */ "Easy Measurements",  // keep English
    /* 1000572 */ "Quick measurement report",  // keep English
    /* 1000573 */ "Reverberation",  // keep English
    /* 1000574 */ "Sone / Loudness",  // keep English
    /* 1000575 */ "Your custom report",  // keep English
    /* 1000576 */ "Set to 0dB",  // keep English
    /* 1000577 */ "undo zoom",  // TRANSLATE
    /* 1000578 */ "redo zoom",  // TRANSLATE
    /* 1000579 */ "resize axis",  // TRANSLATE
    /* 1000580 */ "set marker",  // keep English
    /* 1000581 */ "clear marker",  // keep English
    /* 1000582 */ "add label",  // keep English
    /* 1000583 */ "add line",  // keep English
    /* 1000584 */ "set peak to 0dB",  // keep English
    /* 1000585 */ "Hide",  // keep English
    /* 1000586 */ "Set as reference",  // keep English
    /* 1000587 */ "Gauss generator",  // keep English
    /* 1000588 */ "Play Wave file",  // keep English
    /* 1000589 */ "Freq. presets",  // keep English
    /* 1000590 */ "Piano",  // keep English
    /* 1000591 */ "RIAA Filter",  // keep English
    /* 1000592 */ "Effects",  // keep English
    /* 1000593 */ "FM",  // keep English
    /* 1000594 */ "AM",  // keep English
    /* 1000595 */ "white noise",  // TRANSLATE
    /* 1000596 */ "pink noise",  // TRANSLATE
    /* 1000597 */ "waveform",  // TRANSLATE
    /* 1000598 */ "triangle",  // TRANSLATE
    /* 1000599 */ "triangular",  // TRANSLATE
    /* 1000600 */ "coarse",  // TRANSLATE
    /* 1000601 */ "fine",  // TRANSLATE
    /* 1000602 */ "sine sweep",  // TRANSLATE
    /* 1000603 */ "upper limit",  // TRANSLATE
    /* 1000604 */ "lower limit",  // TRANSLATE
    /* 1000605 */ "samples",  // TRANSLATE
    /* 1000606 */ "mute",  // TRANSLATE
    /* 1000607 */ "sweep settings",  // TRANSLATE
    /* 1000608 */ "double click to edit",  // TRANSLATE
    /* 1000609 */ "delete",  // TRANSLATE
    /* 1000610 */ "remove",  // TRANSLATE
    /* 1000611 */ "Error: not calibrated for sone measurement. Level is %3.1fdB(A)",  // TRANSLATE
    /* 1000612 */ "recorder",  // TRANSLATE
    /* 1000613 */ "Audio input device",  // TRANSLATE
    /* 1000614 */ "Audio output device",  // TRANSLATE
    /* 1000615 */ "resolution",  // TRANSLATE
    /* 1000616 */ "file length",  // TRANSLATE
    /* 1000617 */ "convert to MP3",  // TRANSLATE
    /* 1000618 */ "number of input buffers",  // TRANSLATE
    /* 1000619 */ "min. buffer size",  // TRANSLATE
    /* 1000620 */ "channel select",  // TRANSLATE
    /* 1000621 */ "mono",  // keep English
    /* 1000622 */ "left",  // TRANSLATE
    /* 1000623 */ "right",  // TRANSLATE
    /* 1000624 */ "stereo",  // keep English
    /* 1000625 */ "%s settings",  // TRANSLATE
    /* 1000626 */ "not used",  // TRANSLATE
    /* 1000627 */ "info",  // TRANSLATE
    /* 1000628 */ "fade in",  // TRANSLATE
    /* 1000629 */ "fade out",  // TRANSLATE
    /* 1000630 */ "Average time",  // TRANSLATE
    /* 1000631 */ "measurements",  // TRANSLATE
    /* 1000632 */ "intervall",  // TRANSLATE
    /* 1000633 */ "data blocks",  // TRANSLATE
    /* 1000634 */ "start time",  // TRANSLATE
    /* 1000635 */ "stop time",  // TRANSLATE
    /* 1000636 */ "year",  // TRANSLATE
    /* 1000637 */ "years",  // TRANSLATE
    /* 1000638 */ "month",  // TRANSLATE
    /* 1000639 */ "months",  // TRANSLATE
    /* 1000640 */ "week",  // TRANSLATE
    /* 1000641 */ "weeks",  // TRANSLATE
    /* 1000642 */ "minute",  // TRANSLATE
    /* 1000643 */ "minutes",  // TRANSLATE
    /* 1000644 */ "second",  // TRANSLATE
    /* 1000645 */ "seconds",  // TRANSLATE
    /* 1000646 */ "start level",  // TRANSLATE
    /* 1000647 */ "stop level",  // TRANSLATE
    /* 1000648 */ "target level",  // TRANSLATE
    /* 1000649 */ "average points",  // TRANSLATE
    /* 1000650 */ "slope Selection",  // TRANSLATE
    /* 1000651 */ "frequency range",  // TRANSLATE
};
