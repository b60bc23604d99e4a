#include "wizard/wizard_artwork.h"

// Outside any namespace: the registration function the resource compiler
// generates is a global one.
static void RegisterCompiledResources() { Q_INIT_RESOURCE(wizard); }

void RegisterWizardArtwork()
{
    // Naming the registration keeps the linker from dropping the pictures.
    static const bool registered = [] {
        RegisterCompiledResources();
        return true;
    }();
    (void)registered;
}

QPixmap ArtworkPixmap(const QString& path)
{
    RegisterWizardArtwork();
    return QPixmap(path);
}
