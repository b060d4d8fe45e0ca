#include "gimp/gimp2/HintsDialog.h"

#include <libgimp/gimpui.h>

#include "gimp/gimp2/DrawablePixels.h"

namespace tessel::gimp {

namespace {

struct Offered {
  gint32 image;
  gint32 drawable;  // the one being flatted, which gives no hints to itself
};

gboolean IsOffered(gint32 image, gint32 layer, gpointer data) {
  const auto& offered = *static_cast<const Offered*>(data);
  return image == offered.image && layer != offered.drawable;
}

}  // namespace

std::optional<gint32> ChooseHintsLayer(const Procedure& procedure, gint32 image, gint32 drawable) {
  gimp_ui_init("tessel-gimp", FALSE);
  Offered offered{image, drawable};
  GtkWidget* dialog =
      gimp_dialog_new("Tessel Flats with Hints", "tessel-gimp", nullptr, GtkDialogFlags(0), gimp_standard_help_func,
                      procedure.name, "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
  GtkWidget* row = gtk_hbox_new(FALSE, 6);
  gtk_container_set_border_width(GTK_CONTAINER(row), 12);
  GtkWidget* layers = gimp_layer_combo_box_new(IsOffered, &offered);
  const gint32 preset = HintsLayerOf(image, drawable);
  if (preset >= 0) gimp_int_combo_box_set_active(GIMP_INT_COMBO_BOX(layers), preset);
  GtkWidget* label = gtk_label_new_with_mnemonic("_Hints layer:");
  gtk_label_set_mnemonic_widget(GTK_LABEL(label), layers);
  gtk_box_pack_start(GTK_BOX(row), label, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), layers, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), row, TRUE, TRUE, 0);
  gtk_widget_show_all(dialog);
  const bool accepted = gimp_dialog_run(GIMP_DIALOG(dialog)) == GTK_RESPONSE_OK;
  gint chosen = -1;
  gimp_int_combo_box_get_active(GIMP_INT_COMBO_BOX(layers), &chosen);
  gtk_widget_destroy(dialog);
  if (!accepted || chosen < 0) return std::nullopt;
  return chosen;
}

}  // namespace tessel::gimp
