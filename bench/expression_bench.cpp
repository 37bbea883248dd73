// Expression evaluation against Lua 5.4 and plain C++. Each case runs the same statement three
// ways; the Vorn benchmark reports its time per evaluation divided by Lua's as "x_lua", measured
// in the same run (target: at most 10). The C++ floor is shown for scale, not targeted.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "engine/build_vorn_parser.h"
#include "engine/param_collection.h"
#include "engine/typed_params.h"
#include "engine/vorn_parser.h"

namespace {

using namespace vorn;

struct Case {
  const char* vorn;
  const char* lua;
};

const Case kInt = {"r = (a * 3 + b) / 7 - c % 5", "r = (a * 3 + b) // 7 - c % 5"};
const Case kFloat = {"f = x * 1.5 + y / 3.0", "f = x * 1.5 + y / 3.0"};
const Case kLogic = {"ok = (a > b) & (c <= d) | (e == 3)", "ok = (a > b) and (c <= d) or (e == 3)"};
const Case kConcat = {"s = t ++ u ++ v", "s = t .. u .. v"};
const Case kEqual = {"eq = s == w", "eq = s == w"};
const Case kArray = {"m[i, j] = m[i, j] + 1", "m[i][j] = m[i][j] + 1"};

// The variables every case reads, in both worlds.
struct World {
  World() {
    Int("a", 17);
    Int("b", 5);
    Int("c", 23);
    Int("d", 30);
    Int("e", 3);
    Int("r", 0);
    Int("i", 7);
    Int("j", 9);
    Float("x", 2.25L);
    Float("y", 9.5L);
    Float("f", 0);
    Str("t", "abc");
    Str("u", "defg");
    Str("v", "hi");
    Str("s", "");
    Str("w", "abcdefghi");
    Add("ok", PT_BOOL);
    Add("eq", PT_BOOL);
    const std::int32_t dims[] = {16, 16};
    Add("m", PT_INT).SetDims(dims);

    lua = luaL_newstate();
    luaL_openlibs(lua);
    luaL_dostring(lua,
                  "a, b, c, d, e, r, i, j = 17, 5, 23, 30, 3, 0, 7, 9\n"
                  "x, y, f = 2.25, 9.5, 0.0\n"
                  "t, u, v, s, w = 'abc', 'defg', 'hi', '', 'abcdefghi'\n"
                  "ok, eq = false, false\n"
                  "m = {} for k = 0, 15 do m[k] = {} for l = 0, 15 do m[k][l] = 0 end end\n");
  }
  ~World() { lua_close(lua); }
  TParamCollectionItem& Add(const char* name, std::uint8_t type) {
    auto& item = params.AddParam(type);
    item.SetName(name);
    return item;
  }
  void Int(const char* name, std::int32_t v) { Add(name, PT_INT).SetAsInt(v); }
  void Float(const char* name, long double v) { Add(name, PT_FLOAT).SetAsFloat(v); }
  void Str(const char* name, const char* v) { Add(name, PT_STR).SetAsString(v); }

  TParamCollection params;
  lua_State* lua = nullptr;
};

std::unique_ptr<TVornParser> CompileVorn(const char* text) {
  TBuildVornParser compiler;
  compiler.Compile(text);
  TMemoryStream stream;
  compiler.SaveToStream(stream);
  stream.SetPosition(0);
  auto parser = std::make_unique<TVornParser>();
  parser->LoadFromStream(stream);
  return parser;
}

int LuaChunk(lua_State* lua, const char* text) {
  luaL_loadstring(lua, text);
  return luaL_ref(lua, LUA_REGISTRYINDEX);
}

void RunLua(lua_State* lua, int chunk) {
  lua_rawgeti(lua, LUA_REGISTRYINDEX, chunk);
  lua_pcall(lua, 0, 0, 0);
}

template <typename F>
double NanosPerCall(F&& f, int calls) {
  const auto start = std::chrono::steady_clock::now();
  for (int k = 0; k < calls; ++k) f();
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(stop - start).count() / calls;
}

void RunCase(benchmark::State& state, const Case& c) {
  World world;
  auto parser = CompileVorn(c.vorn);
  const int chunk = LuaChunk(world.lua, c.lua);
  for (auto _ : state) parser->Execute();
  // Same-run reference: both timed in alternating rounds of as many calls as the benchmark loop
  // made, the best round of each kept.
  const int calls = static_cast<int>(std::max<benchmark::IterationCount>(state.iterations(), 1000));
  double ours = 1e300;
  double theirs = 1e300;
  for (int round = 0; round < 3; ++round) {
    ours = std::min(ours, NanosPerCall([&] { parser->Execute(); }, calls));
    theirs = std::min(theirs, NanosPerCall([&] { RunLua(world.lua, chunk); }, calls));
  }
  state.counters["x_lua"] = ours / theirs;
  state.counters["lua_ns"] = theirs;
}

void BM_VornInteger(benchmark::State& state) { RunCase(state, kInt); }
void BM_VornFloat(benchmark::State& state) { RunCase(state, kFloat); }
void BM_VornLogic(benchmark::State& state) { RunCase(state, kLogic); }
void BM_VornConcat(benchmark::State& state) { RunCase(state, kConcat); }
void BM_VornStringEqual(benchmark::State& state) { RunCase(state, kEqual); }
void BM_VornArrayElement(benchmark::State& state) { RunCase(state, kArray); }

void BM_VornCompileAndRun(benchmark::State& state) {
  World world;
  const auto once = [&] { CompileVorn(kInt.vorn)->Execute(); };
  for (auto _ : state) once();
  const int calls = 2000;
  const double ours = NanosPerCall(once, calls);
  const double theirs = NanosPerCall(
      [&] {
        luaL_loadstring(world.lua, kInt.lua);
        lua_pcall(world.lua, 0, 0, 0);
      },
      calls);
  state.counters["x_lua"] = ours / theirs;
  state.counters["lua_ns"] = theirs;
}

void BM_LuaInteger(benchmark::State& state) {
  World world;
  const int chunk = LuaChunk(world.lua, kInt.lua);
  for (auto _ : state) RunLua(world.lua, chunk);
}

// The floor: the same work on native values.
void BM_CppInteger(benchmark::State& state) {
  volatile std::int32_t a = 17, b = 5, c = 23;
  std::int32_t r = 0;
  for (auto _ : state) {
    r = (a * 3 + b) / 7 - c % 5;
    benchmark::DoNotOptimize(r);
  }
}

void BM_CppFloat(benchmark::State& state) {
  volatile long double x = 2.25L, y = 9.5L;
  long double f = 0;
  for (auto _ : state) {
    f = x * 1.5L + y / 3.0L;
    benchmark::DoNotOptimize(f);
  }
}

void BM_CppConcat(benchmark::State& state) {
  const std::string t = "abc", u = "defg", v = "hi";
  std::string s;
  for (auto _ : state) {
    s = t + u + v;
    benchmark::DoNotOptimize(s);
  }
}

void BM_CppArrayElement(benchmark::State& state) {
  std::int32_t m[16][16] = {};
  volatile int i = 7, j = 9;
  for (auto _ : state) {
    m[i][j] = m[i][j] + 1;
    benchmark::DoNotOptimize(m);
  }
}

BENCHMARK(BM_VornInteger);
BENCHMARK(BM_VornFloat);
BENCHMARK(BM_VornLogic);
BENCHMARK(BM_VornConcat);
BENCHMARK(BM_VornStringEqual);
BENCHMARK(BM_VornArrayElement);
BENCHMARK(BM_VornCompileAndRun);
BENCHMARK(BM_LuaInteger);
BENCHMARK(BM_CppInteger);
BENCHMARK(BM_CppFloat);
BENCHMARK(BM_CppConcat);
BENCHMARK(BM_CppArrayElement);

}  // namespace
