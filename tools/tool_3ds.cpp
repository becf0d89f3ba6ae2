// `zel16-tool 3ds FILE`: reads a .3ds file as the show would and prints one JSON object: the
// committed meshes (name, counts, bounding box in renderer axes, mean normal length, whether
// the mesh had mapping coordinates), the camera, and the messages the reader would have
// shown, in order. No window: the messages are collected, not shown.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "model3ds/loader3ds.h"
#include "tools/tool_command.h"

namespace zel::tool {

namespace {

// JSON string; bytes outside printable ASCII become \u00XX (names are 8-bit text).
std::string Quoted(const char *text) {
  std::string out = "\"";
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p != 0; ++p) {
    if (*p == '"' || *p == '\\') {
      out += '\\';
      out += static_cast<char>(*p);
    } else if (*p < 0x20 || *p >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", *p);
      out += escaped;
    } else {
      out += static_cast<char>(*p);
    }
  }
  return out + "\"";
}

// Shortest text that reads back as the same float; NaN and infinities have no JSON form.
std::string Number(double value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

std::string Triple(const float v[3]) {
  return "[" + Number(v[0]) + ", " + Number(v[1]) + ", " + Number(v[2]) + "]";
}

std::string ObjectJson(const model3ds::Loader3ds &loader, int i) {
  const model3ds::Object3ds &o = loader.objects[i];
  std::string json = "    {\"name\": " + Quoted(o.name) + ", \"vertexCount\": " + std::to_string(o.vertexCount) +
                     ", \"faceCount\": " + std::to_string(o.faceCount) + ",\n     \"boundingBox\": ";
  if (o.vertexCount > 0) {
    float low[3], high[3];
    for (int axis = 0; axis < 3; ++axis) low[axis] = high[axis] = o.positions[0][axis];
    for (int k = 1; k < o.vertexCount; ++k) {
      for (int axis = 0; axis < 3; ++axis) {
        low[axis] = std::fmin(low[axis], o.positions[k][axis]);
        high[axis] = std::fmax(high[axis], o.positions[k][axis]);
      }
    }
    json += "{\"min\": " + Triple(low) + ", \"max\": " + Triple(high) + "}";
  } else {
    json += "null";
  }
  double lengthSum = 0.0;
  for (int k = 0; k < o.vertexCount; ++k)
    lengthSum += std::sqrt(double(o.normals[k][0]) * o.normals[k][0] + double(o.normals[k][1]) * o.normals[k][1] +
                           double(o.normals[k][2]) * o.normals[k][2]);
  json += ",\n     \"meanNormalLength\": " + Number(o.vertexCount > 0 ? lengthSum / o.vertexCount : 0.0);
  json += ", \"hasMapping\": " + std::string(loader.objectMapped[i] ? "true" : "false") + "}";
  return json;
}

std::string CameraJson(const model3ds::Loader3ds &loader) {
  if (!loader.cameraRead) return "null";
  const model3ds::Camera3ds &c = loader.camera;
  return "{\"position\": " + Triple(c.position) + ", \"target\": " + Triple(c.target) +
         ", \"bank\": " + Number(c.bank) + ", \"lens\": " + Number(c.lens) + "}";
}

int Run3ds(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zel16-tool 3ds FILE\n");
    return 2;
  }
  auto loader = std::make_unique<model3ds::Loader3ds>();  // 1.4 MB: never on the stack
  loader->messageBox = nullptr;                 // collect the messages, show nothing
  loader->Read(argv[1]);

  std::string json = "{\n  \"file\": " + Quoted(argv[1]) + ",\n  \"objectCount\": " +
                     std::to_string(loader->objectCount) + ",\n  \"objects\": [";
  for (int i = 0; i < loader->objectCount; ++i) json += std::string(i > 0 ? ",\n" : "\n") + ObjectJson(*loader, i);
  json += std::string(loader->objectCount > 0 ? "\n  ]" : "]") + ",\n  \"camera\": " + CameraJson(*loader);
  json += ",\n  \"messages\": [";
  const int kept = loader->messageCount < model3ds::MaxLoaderMessages ? loader->messageCount : model3ds::MaxLoaderMessages;
  for (int k = 0; k < kept; ++k) json += std::string(k > 0 ? ", " : "") + Quoted(loader->messages[k]);
  json += "],\n  \"messageCount\": " + std::to_string(loader->messageCount) + "\n}\n";
  std::fputs(json.c_str(), stdout);
  return loader->fileMissing ? 1 : 0;
}

}  // namespace

ZEL16_TOOL_COMMAND("3ds", "dump a .3ds model as JSON (meshes, camera, messages)", Run3ds);

}  // namespace zel::tool
