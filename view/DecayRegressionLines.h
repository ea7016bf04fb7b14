// Where the energy-decay plot draws its fitted decay line and the two short markers at the levels
// the fit ran between, in plot values (x in ms, y in dB).
#pragma once

struct DecayRegressionLines
{
    struct Segment
    {
        bool visible = false;
        double x0 = 0.0;
        double y0 = 0.0;
        double x1 = 0.0;
        double y1 = 0.0;
    };
    // The fitted decay; the marker at the start level; the marker at the stop level.
    Segment fit;
    Segment start;
    Segment stop;
};

// The line y = intercept + slope·x with slope -60 / decayTime / 1000 dB per ms, from the x minimum to
// the x maximum, its start moved down the line to the y maximum when above it and its end moved up
// to the y minimum when below it; markers of half-width 0.025 of the x range centred where the line
// reaches each level, clipped to the x range, hidden when the level lies outside the y range or the
// centre left of the x minimum. A decay time that is not positive (or a range that is empty) hides
// everything.
DecayRegressionLines ComputeDecayRegressionLines(double decayTime, double intercept, double levelStart,
                                                 double levelStop, double xMin, double xMax, double yMin,
                                                 double yMax);
