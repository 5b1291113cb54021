#include "window/window_session.h"

#include <QLabel>

#include "engine/settings_table.h"
#include "pictures/picture_actions.h"
#include "pictures/thumbnail_list.h"
#include "platform/folders.h"
#include "platform/http_client.h"
#include "platform/picture_decoder.h"
#include "window/control_ids.h"
#include "window/dialog_template.h"
#include "window/engine_control.h"
#include "window/main_dialog.h"

namespace shell {

namespace {

pictures::ProgramKind ListKindOf(engine::ProgramKind kind) {
  return kind == engine::ProgramKind::Quorvash ? pictures::ProgramKind::Quorvash : pictures::ProgramKind::Tarvelin;
}

// Both once, before any worker runs.
engine::Program Prepared(const WindowProgram& program, const QString& name) {
  platform::HttpGlobalInit();
  platform::LoadPictureDecoders();
  return EngineProgramOf(program, name.toStdString());
}

}  // namespace

WindowSession::WindowSession(const WindowProgram& program, const QString& name, StartUp startUp,
                             const std::filesystem::path& programFolder)
    : m_engineProgram(Prepared(program, name)) {
  const platform::SettingsStore store(m_engineProgram.name);
  m_dialog = std::make_unique<MainDialog>(program, store, std::move(startUp));
  m_list = new pictures::ThumbnailList(ListKindOf(program.kind));
  m_dialog->SetThumbnailList(m_list);
  // Read on every add, so the check box counts from the next picture on.
  m_list->SetNoScrollReader([store, kind = program.kind] {
    return engine::ReadTableInt(store, engine::kNoScrollKey, kind);
  });
  if (auto* counter = FindControl<QLabel>(m_dialog.get(), kPictureCounter))
    QObject::connect(m_list, &pictures::ThumbnailList::counterTextChanged, counter, &QLabel::setText);
  m_dialog->SetGalleryAction([list = m_list] { list->Actions().OpenGallery(); });

  m_control = std::make_unique<EngineControl>(
      m_engineProgram, *m_dialog, *m_list,
      programFolder.empty()
          ? platform::ProgramFolder(m_engineProgram.name,
                                    store.ReadSettingString(platform::kSettingsSection, std::string(engine::kFolderKey), ""))
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

}  // namespace shell
