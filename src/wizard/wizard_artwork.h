#pragma once
// The wizard's pictures live in the resources compiled into its static
// library; every load goes through here so they are registered first.
#include <QPixmap>
#include <QString>

// Registers the pictures (once; later calls do nothing).
void RegisterWizardArtwork();

// A picture by resource path, e.g. ":/bitmap_162.png".
QPixmap ArtworkPixmap(const QString& path);
