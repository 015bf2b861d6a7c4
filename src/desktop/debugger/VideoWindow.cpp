// The video window: the tile set in both palettes (a click names a tile's
// address and what shows it), the name table with the visible window drawn
// over it, the sprites with the lines where they pass the per-line limit,
// and the palette with its raw values. The pictures come from
// debugger/VideoPictures; this window only shows them.
#include "desktop/debugger/VideoWindow.h"

#include <cstdio>
#include <string>

#include "console/Console.h"
#include "debugger/VideoPictures.h"
#include "desktop/debugger/DebugWindows.h"
#include "host/i18n/Translate.h"

namespace debugwin {
namespace {

constexpr int kScale = 2;

std::string DescribeTile(const VideoView& view, int tile) {
  char text[96];
  std::snprintf(text, sizeof text, Tr("Motif %d à $%04X"), tile, TileAddress(view, tile));
  std::string line = text;
  const TileUses uses = UsesOfTile(view, tile);
  line += " — ";
  line += Tr("table des noms :");
  int listed = 0;
  for (int entry : uses.entries) {
    if (++listed > 24) {
      line += " …";
      break;
    }
    std::snprintf(text, sizeof text, " (%d,%d)", entry % 32, entry / 32);
    line += text;
  }
  line += " — ";
  line += Tr("sprites :");
  for (int sprite : uses.sprites) line += " " + std::to_string(sprite);
  return line;
}

gboolean OnTileClick(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<VideoWindow*>(data);
  Console* console = self->debug.TheConsole();
  if (!console) return FALSE;
  const VideoView view = ViewOf(console->video);
  self->chosenTile = TileAt(view, static_cast<int>(event->x) / kScale, static_cast<int>(event->y) / kScale);
  self->Refresh();
  return TRUE;
}

std::string SpriteTable(const VideoView& view) {
  std::string text = Tr("n°   X    Y  motif  haut.  lignes en trop\n");
  for (const SpriteInfo& s : Sprites(view)) {
    char line[96];
    std::snprintf(line, sizeof line, "%2d %4d %4d  %4d  %4d  ", s.index, s.x, s.y, s.pattern, s.height);
    text += line;
    if (s.droppedLines > 0) {
      std::snprintf(line, sizeof line, Tr("%d dès la ligne %d"), s.droppedLines, s.firstDropped);
      text += line;
    }
    text += "\n";
  }
  return text;
}

GtkWidget* Scrolled(GtkWidget* child) {
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(scrolled), child);
  return scrolled;
}

GtkWidget* LeftImage() {
  GtkWidget* image = gtk_image_new();
  gtk_widget_set_halign(image, GTK_ALIGN_START);
  gtk_widget_set_valign(image, GTK_ALIGN_START);
  return image;
}

// The notebook tells the new page before it is the current one: the drawing
// waits for the next idle moment.
gboolean RefreshWhenIdle(gpointer data) {
  static_cast<VideoWindow*>(data)->Refresh();
  return G_SOURCE_REMOVE;
}
void OnPageSwitched(GtkNotebook*, GtkWidget*, guint, gpointer data) { g_idle_add(RefreshWhenIdle, data); }

}  // namespace

void VideoWindow::Open() {
  if (slot.Present()) return;
  NewWindow(Tr("Vidéo"), 560, 620, &slot.window);
  pages = gtk_notebook_new();
  gtk_container_add(GTK_CONTAINER(slot.window), pages);

  GtkWidget* tileBox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  for (GtkWidget*& image : tiles) {
    image = LeftImage();
    GtkWidget* events = gtk_event_box_new();
    gtk_widget_set_halign(events, GTK_ALIGN_START);
    gtk_container_add(GTK_CONTAINER(events), image);
    g_signal_connect(events, "button-press-event", G_CALLBACK(OnTileClick), this);
    gtk_box_pack_start(GTK_BOX(tileBox), events, FALSE, FALSE, 0);
  }
  tileInfo = gtk_label_new(Tr("Un clic sur un motif dit où il est et ce qui le montre."));
  gtk_label_set_line_wrap(GTK_LABEL(tileInfo), TRUE);
  gtk_label_set_xalign(GTK_LABEL(tileInfo), 0);
  gtk_box_pack_start(GTK_BOX(tileBox), tileInfo, FALSE, FALSE, 0);
  gtk_notebook_append_page(GTK_NOTEBOOK(pages), Scrolled(tileBox), gtk_label_new(Tr("Motifs")));

  names = LeftImage();
  gtk_notebook_append_page(GTK_NOTEBOOK(pages), Scrolled(names), gtk_label_new(Tr("Table des noms")));

  GtkWidget* spriteView = nullptr;
  GtkWidget* spriteArea = TextArea(&spriteView, 400, 400);
  sprites = spriteView;
  gtk_notebook_append_page(GTK_NOTEBOOK(pages), spriteArea, gtk_label_new(Tr("Sprites")));

  GtkWidget* paletteBox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  palette = LeftImage();
  gtk_box_pack_start(GTK_BOX(paletteBox), palette, FALSE, FALSE, 0);
  GtkWidget* valuesView = nullptr;
  gtk_box_pack_start(GTK_BOX(paletteBox), TextArea(&valuesView, 400, 120), TRUE, TRUE, 0);
  paletteValues = valuesView;
  gtk_notebook_append_page(GTK_NOTEBOOK(pages), paletteBox, gtk_label_new(Tr("Palette")));
  g_signal_connect(pages, "switch-page", G_CALLBACK(OnPageSwitched), this);

  gtk_widget_show_all(slot.window);
  Refresh();
}

void VideoWindow::Refresh() {
  Console* console = debug.TheConsole();
  if (!slot.window || !console) return;
  const VideoView view = ViewOf(console->video);
  // Only the page in sight is drawn.
  switch (gtk_notebook_get_current_page(GTK_NOTEBOOK(pages))) {
    case 0:
      for (int p = 0; p < 2; ++p) ShowPicture(tiles[p], TileSetPicture(view, p), kScale);
      if (chosenTile >= 0) gtk_label_set_text(GTK_LABEL(tileInfo), DescribeTile(view, chosenTile).c_str());
      break;
    case 1:
      ShowPicture(names, NameTablePicture(view), kScale);
      break;
    case 2:
      SetText(sprites, SpriteTable(view));
      break;
    case 3:
      ShowPicture(palette, PalettePicture(view), kScale);
      SetText(paletteValues, PaletteText(view));
      break;
    default:
      break;
  }
}

}  // namespace debugwin
