#pragma once
// Everything a CPageDownloader needs, for tests of the page handlers and of
// the link analysis: a project, a recording view, logs, signals and a
// temporary project folder.
#include <filesystem>
#include <memory>
#include <string>

#include "links/download_project.h"
#include "engine/page_downloader.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_folder.h"

struct DownloaderFixture {
  explicit DownloaderFixture(ProgramKind kind = ProgramKind::Tarvelin, PageHandler* handler = nullptr)
      : project(kind == ProgramKind::Quorvash),
        context{program, view, logs, signals, folder.Path(), nullptr, nullptr, {}},
        session(kind == ProgramKind::Quorvash ? "Quorvash" : "Tarvelin") {
    program.kind = kind;
    program.name = kind == ProgramKind::Quorvash ? "Quorvash" : "Tarvelin";
    program.pageHandler = handler;
    project.m_host = "thishost";
    project.m_image = 1;
    project.m_diffRoot = 1;
    signals.ClearStop();  // as during a run
    downloader = std::make_unique<CPageDownloader>(&project, 0, context, session);
  }

  TempFolder folder;
  Program program;
  CDownloadProject project;
  RecordingView view;
  RunLogs logs;
  RunSignals signals;
  RunContext context;
  platform::HttpSession session;
  std::unique_ptr<CPageDownloader> downloader;
};
