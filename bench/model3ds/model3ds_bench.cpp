// Reading a .3ds file with one mesh of 20,000 vertices and 20,000 faces, normals included.
// Target: under 10 ms per file. The allocs counter is the number of operator new calls per
// read: one for the loader itself, none per vertex.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "model3ds/compute_normals.h"
#include "model3ds/loader3ds.h"
#include "tests/model3ds/writer3ds.h"

namespace {
std::atomic<long> gNewCalls{0};
}  // namespace

// Counting replacements of the global allocation functions (malloc-backed on both sides).
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void *operator new(std::size_t size) {
  gNewCalls.fetch_add(1, std::memory_order_relaxed);
  if (void *p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

namespace zel::model3ds {

namespace {

constexpr int kGrid = 142;  // 142 x 142 = 20,164 vertices; 20,000 faces taken from its cells
constexpr int kVertices = 20000;
constexpr int kFaces = 20000;

// A wavy sheet: vertex k sits on a kGrid-wide grid; faces are the grid's triangles.
test::Mesh Sheet() {
  test::Mesh m;
  m.name = "Sheet";
  for (int k = 0; k < kVertices; ++k) {
    const float x = static_cast<float>(k % kGrid), y = static_cast<float>(k / kGrid);
    m.vertices.insert(m.vertices.end(), {x, y, std::sin(x * 0.3f) * std::cos(y * 0.2f)});
    m.texCoords.insert(m.texCoords.end(), {x / kGrid, y / kGrid});
  }
  for (int cell = 0; static_cast<int>(m.faces.size()) < 3 * kFaces; ++cell) {
    const int col = cell % (kGrid - 1), row = cell / (kGrid - 1);
    const auto a = static_cast<uint16_t>(row * kGrid + col);
    const auto b = static_cast<uint16_t>(a + 1), c = static_cast<uint16_t>(a + kGrid),
               d = static_cast<uint16_t>(a + kGrid + 1);
    m.faces.insert(m.faces.end(), {a, b, c});
    if (static_cast<int>(m.faces.size()) < 3 * kFaces) m.faces.insert(m.faces.end(), {b, d, c});
  }
  return m;
}

const std::string &SheetFile() {
  static const std::string path = [] {
    const char *tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp != nullptr ? tmp : "/tmp") + "/zel16_bench_sheet.3ds";
    const auto bytes = test::PlainFile(Sheet());
    FILE *f = std::fopen(p.c_str(), "wb");
    if (f != nullptr) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    return p;
  }();
  return path;
}

void BM_ReadFile(benchmark::State &state) {
  const std::string &path = SheetFile();
  long allocations = 0;
  for (auto _ : state) {
    const long before = gNewCalls.load();
    Loader3ds *loader = new Loader3ds();
    loader->messageBox = nullptr;
    loader->Read(path.c_str());
    allocations += gNewCalls.load() - before;
    if (loader->objectCount != 1 || loader->objects[0].vertexCount != kVertices ||
        loader->objects[0].faceCount != kFaces) {
      state.SkipWithError("the sheet did not read back");
    }
    benchmark::DoNotOptimize(loader->objects[0].normals[kVertices - 1][2]);
    delete loader;
  }
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations),
                                                benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond);

void BM_ComputeNormals(benchmark::State &state) {
  Loader3ds *loader = new Loader3ds();
  loader->messageBox = nullptr;
  loader->Read(SheetFile().c_str());
  for (auto _ : state) {
    ComputeNormals(loader->objects[0]);
    benchmark::DoNotOptimize(loader->objects[0].normals[0][0]);
  }
  delete loader;
}
BENCHMARK(BM_ComputeNormals)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zel::model3ds

BENCHMARK_MAIN();
