#include "platform/linux/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

#include <future>
#include <system_error>

namespace {

class FontConfiguration {
public:
    ~FontConfiguration()
    {
        if (!ready && !reading.valid()) return;  // never asked for
        FcConfig* made = get();
        if (made != nullptr) FcConfigDestroy(made);  // fontconfig keeps its own reference when shared
    }

    void preload(bool share)
    {
        shared = shared || share;
        if (ready || reading.valid()) return;
        try {
            reading = std::async(std::launch::async, FcInitLoadConfigAndFonts);
        } catch (const std::system_error&) {
            // No thread to be had: the first font reads the configuration itself.
        }
    }

    FcConfig* get()
    {
        if (!ready) {
            config = reading.valid() ? reading.get() : FcInitLoadConfigAndFonts();
            ready = true;
            if (shared && config != nullptr) FcConfigSetCurrent(config);
        }
        return config;
    }

private:
    std::future<FcConfig*> reading;
    FcConfig* config = nullptr;
    bool ready = false;
    bool shared = false;
};

FontConfiguration configuration;

}  // namespace

void preloadFontConfiguration(bool shareWithToolkit)
{
    configuration.preload(shareWithToolkit);
}

FcConfig* fontConfiguration()
{
    return configuration.get();
}
