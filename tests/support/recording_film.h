#pragma once

// A film maker for tests: installed while it lives, it hands out films that write every call into
// one log ("<film number> <call> <argument>", films numbered from 0 in creation order) and answer
// what the test sets on them.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "components/film_seam.h"
#include "components/vorn_control.h"
#include "foundation/archive.h"
#include "foundation/vr_errors.h"

namespace vorn::testing {

class TRecordingFilmMaker;

class TRecordingFilm final : public TControlFilm {
 public:
  TRecordingFilm(TRecordingFilmMaker& maker, int number, TVornControl& holder);
  ~TRecordingFilm() override;

  // Names in the maker's `missing` raise the missing-file error and change nothing; any other
  // loads with the maker's length for it (0 when none is set) and rewinds.
  void LoadMotion(const std::string& file_name) override;
  void RestartMotion() override {
    Log("restart");
    Rewind();
  }
  void Reapply() override { Log("reapply"); }
  // Reports the end once when the test set end_next_tick.
  bool Tick() override {
    Log("tick");
    if (!end_next_tick) return false;
    end_next_tick = false;
    ended = true;
    return true;
  }
  std::int32_t GetLength() const override { return length; }
  std::int32_t GetTick() const override { return tick; }
  std::int32_t GetElapsed() const override { return elapsed; }
  void SetElapsed(std::int32_t ms) override {
    Log("elapsed " + std::to_string(ms));
    elapsed = ms;
  }
  bool IsEnded() const override { return ended; }

  TVornControl& holder;
  std::string file;
  std::int32_t length = 0;
  std::int32_t tick = 0;
  std::int32_t elapsed = 0;
  bool ended = false;
  bool end_next_tick = false;

 private:
  void Log(const std::string& call);
  void Rewind() {
    tick = 0;
    elapsed = 0;
    ended = false;
  }

  TRecordingFilmMaker& maker_;
  int number_;
};

class TRecordingFilmMaker final : public TFilmMaker {
 public:
  TRecordingFilmMaker() : previous_(SetFilmMaker(this)) {}
  ~TRecordingFilmMaker() override { SetFilmMaker(previous_); }
  TRecordingFilmMaker(const TRecordingFilmMaker&) = delete;
  TRecordingFilmMaker& operator=(const TRecordingFilmMaker&) = delete;

  std::unique_ptr<TControlFilm> CreateFilm(TVornControl& holder) override {
    auto film = std::make_unique<TRecordingFilm>(*this, static_cast<int>(films.size()), holder);
    films.push_back(film.get());
    return film;
  }

  std::vector<std::string> log;
  std::set<std::string> missing;
  std::map<std::string, std::int32_t> lengths;
  // Every film handed out, by number; nullptr once freed.
  std::vector<TRecordingFilm*> films;

 private:
  TFilmMaker* previous_;
};

inline TRecordingFilm::TRecordingFilm(TRecordingFilmMaker& maker, int number, TVornControl& holder)
    : holder(holder), maker_(maker), number_(number) {
  Log("create " + holder.GetName());
}

inline TRecordingFilm::~TRecordingFilm() {
  Log("free");
  maker_.films[static_cast<std::size_t>(number_)] = nullptr;
}

inline void TRecordingFilm::LoadMotion(const std::string& file_name) {
  if (maker_.missing.count(file_name) != 0) throw EVrFileNotFound(FormatFileNotFound(file_name));
  Log("load " + file_name);
  file = file_name;
  const auto it = maker_.lengths.find(file_name);
  length = it != maker_.lengths.end() ? it->second : 0;
  Rewind();
}

inline void TRecordingFilm::Log(const std::string& call) {
  maker_.log.push_back(std::to_string(number_) + " " + call);
}

}  // namespace vorn::testing
