#include "window/window_session.h"

#include <QCheckBox>
#include <QLabel>

#include "pictures/picture_actions.h"
#include "pictures/picture_viewer.h"
#include "pictures/thumbnail_feed.h"
#include "pictures/thumbnail_list.h"
#include "engine/settings_table.h"
#include "platform/folders.h"
#include "platform/http_client.h"
#include "platform/picture_decoder.h"
#include "window/control_ids.h"
#include "window/dialog_template.h"
#include "window/engine_control.h"
#include "window/main_dialog.h"

namespace window {

namespace {

// Both once, before any worker runs.
engine::Program Prepared(const WindowProgram& program, const QString& name) {
  platform::HttpGlobalInit();
  platform::LoadPictureDecoders();
  engine::Program named = *program.engine;
  named.name = name.toStdString();
  // The window's thread must answer at once, even with five busy workers.
  named.workersYield = true;
  return named;
}

}  // namespace

WindowSession::WindowSession(const WindowProgram& program, const QString& name, StartUp startUp,
                             const std::filesystem::path& programFolder)
    : m_named(Prepared(program, name)) {
  const platform::SettingsStore store(m_named.name);
  m_feed = std::make_unique<pictures::ThumbnailFeed>();
  m_actions = std::make_unique<pictures::PictureActions>();
  m_dialog = std::make_unique<MainDialog>(program, store, std::move(startUp));
  m_list = new pictures::ThumbnailList(*m_feed, m_actions.get(), m_named.viewerAction);
  m_actions->SetMessageOwner(&m_list->Viewer());
  m_actions->SetCaption(program.Title());
  m_dialog->SetThumbnailList(m_list);
  // The check box holds what the store holds; it counts from the next picture on.
  if (auto* noScroll = FindControl<QCheckBox>(m_dialog.get(), kNoScrollCheck))
    m_feed->SetNoScrollReader([noScroll] { return noScroll->isChecked() ? 1 : 0; });
  if (auto* counter = FindControl<QLabel>(m_dialog.get(), kPictureCounter))
    QObject::connect(m_feed.get(), &pictures::ThumbnailFeed::counterTextChanged, counter, &QLabel::setText);
  m_dialog->SetGalleryAction([actions = m_actions.get()] { actions->OpenGallery(); });
  m_dialog->SetOpenPictureAction([list = m_list] {
    if (list->SelectedRow() >= 0) list->Viewer().Open();
  });

  m_control = std::make_unique<EngineControl>(
      m_named, *m_dialog, *m_list,
      programFolder.empty() ? platform::ProgramFolder(m_named.name, engine::Read(store, engine::keys::kFolder))
                            : programFolder);
  m_dialog->SetRunControl(m_control.get());
}

WindowSession::~WindowSession() {
  m_control->Finish();
  m_dialog->SetRunControl(nullptr);
  m_control.reset();
}

int WindowSession::Exec() {
  m_dialog->exec();
  m_control->Finish();
  return 0;
}

}  // namespace window
