// The title model's vertex shader text (Data/Other/ref.vsh).
#pragma once

#include <string>

namespace zel::data {

std::string TitleShaderSource();

}  // namespace zel::data
