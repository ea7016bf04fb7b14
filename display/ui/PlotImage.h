// A plot's picture painted off-screen through the window toolkit: for exports and for tests that
// compare pictures.
#pragma once

#include <string>

#include <wx/image.h>

class CPlot;

// Paints the whole plot (frame and curves) on a memory bitmap of the size and returns it.
wxImage RenderPlotImage(CPlot& plot, int width, int height);
// The same, saved as PNG; false when the file could not be written.
bool SavePlotPng(CPlot& plot, int width, int height, const std::string& path);
