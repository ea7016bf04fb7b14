#include "dsp/FilterStage.h"

void CFilterStage::Process(float* /*samples*/, int /*count*/) {}

CFilterStage::~CFilterStage() = default;
