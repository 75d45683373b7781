// The web engine side of the Flash control, loaded by TShockwaveFlash at run time.

#include <QObject>

#include "player/flashengine.h"
#include "player/plugin/flashruntime.h"
#include "player/plugin/webflashview.h"

class QuilletFlashPlugin final : public QObject, public FlashEngineFactory {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QuilletFlashEngineFactory_iid)
  Q_INTERFACES(FlashEngineFactory)

 public:
  FlashEngine* Create(const FlashSettings& settings, const QString& ruffleFolder, QWidget* parent,
                      QString* error) override {
    std::unique_ptr<FlashRuntime> runtime = FlashRuntime::Create(settings, ruffleFolder, error);
    if (!runtime)
      return nullptr;
    return new WebFlashView(std::move(runtime), parent);
  }
};

#include "flashplugin.moc"
