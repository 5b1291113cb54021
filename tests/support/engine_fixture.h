#pragma once
// A Tarvelin (or Quorvash) engine with a recording view, a line-list page
// handler and a program folder of its own, against a TestSite.
#include <gtest/gtest.h>

#include <QSettings>
#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/download_engine.h"
#include "tests/support/line_list_handler.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_site.h"

using engine::EngineState;
using engine::Question;
using links::LinkState;

class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture() {
    program.name = "Tarvelin";
    program.pageHandler = &handler;
    // Each test starts from an empty store.
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Ombrel software", "Tarvelin");
    store.clear();
    store.sync();
    engine = std::make_unique<engine::DownloadEngine>(program, view, folder.Path());
  }

  void SetInt(const std::string& key, int value) {
    engine->Settings().WriteInt(key, value);
  }
  // Starts a run at `path` of the site and waits for its end.
  void RunAt(const std::string& path) {
    ASSERT_TRUE(engine->Download(site.Url(path)));
    engine->WaitForRun();
  }
  std::filesystem::path ProjectFolder() const { return folder.Path() / site.FolderName(); }
  std::string ProjectFile() const {
    std::ifstream in(ProjectFolder() / "project.cfg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteProjectFile(const std::string& text) {
    std::filesystem::create_directories(ProjectFolder());
    std::ofstream(ProjectFolder() / "project.cfg", std::ios::binary) << text;
  }
  // Position of a link's opening line in the run log, or npos.
  size_t Opened(const std::string& link) const { return engine->RunLogText().find(":" + link + "...\n"); }
  LinkState StateOf(size_t index) const { return engine->Links().states.at(index); }
  int32_t Count() const { return engine->Links().count; }

  TestSite site;
  TempFolder folder;
  LineListHandler handler;
  RecordingView view;
  engine::Program program;
  std::unique_ptr<engine::DownloadEngine> engine;
};
