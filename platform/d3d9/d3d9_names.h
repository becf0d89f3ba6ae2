// The platform's spelling of state enumerations, for logs and the recording device's call
// texts ("SetRenderState(D3DRS_ZENABLE, 1)"). Unknown values come back as their number.
#pragma once

#include <d3d9.h>

#include <string>

namespace zel::d3d9 {

std::string RenderStateName(D3DRENDERSTATETYPE state);
std::string StageStateName(D3DTEXTURESTAGESTATETYPE type);
std::string SamplerStateName(D3DSAMPLERSTATETYPE type);
std::string TransformName(D3DTRANSFORMSTATETYPE state);
std::string PrimitiveTypeName(D3DPRIMITIVETYPE type);
std::string FormatName(D3DFORMAT format);

}  // namespace zel::d3d9
