// The cases in GIMP 2.10: one Script-Fu batch command each, in
// gimp-console-2.10, then one that quits.
#include <fstream>
#include <string>

#include "tests/gimp/GimpCases.h"

namespace tessel::test {

namespace {

namespace fs = boost::filesystem;

std::string Scheme(const ArgumentValue& value) {
  struct Writer {
    std::string operator()(bool on) const { return on ? "1" : "0"; }
    std::string operator()(int number) const { return std::to_string(number); }
    std::string operator()(const std::string& text) const { return "\"" + text + "\""; }
    std::string operator()(const Rgb& c) const {
      return "'(" + std::to_string(c.red) + " " + std::to_string(c.green) + " " + std::to_string(c.blue) + ")";
    }
  };
  return std::visit(Writer{}, value);
}

// '(x y width height), or '() for none.
std::string List(const std::optional<Selection>& s) {
  return s ? "'(" + std::to_string(s->x) + " " + std::to_string(s->y) + " " + std::to_string(s->width) + " " +
                 std::to_string(s->height) + ")"
           : std::string("'()");
}

std::string Command(const std::vector<Job>& jobs, const fs::path& work, const fs::path& home) {
  std::ofstream(work / "gimprc") << "(plug-in-path \"${gimp_dir}/plug-ins:${gimp_plug_in_dir}/plug-ins:"
                                 << TESSEL_GIMP_PLUGIN_PATH << "\")\n";
  // Each batch command is evaluated afresh: each case loads the helper.
  std::ofstream(work / "helper.scm")
      << "(define (tessel-case in out selection layer mode procedure saved-layer arguments hints hints-argument)\n"
         "  (let* ((image (car (gimp-file-load RUN-NONINTERACTIVE in in)))\n"
         "         (drawable (car (gimp-image-get-active-drawable image)))\n"
         "         (hints-layer (if (string=? hints \"\") -1\n"
         "                          (car (gimp-file-load-layer RUN-NONINTERACTIVE image hints)))))\n"
         "    (if (pair? layer) (gimp-layer-resize drawable (caddr layer) (cadddr layer)\n"
         "                                         (- (car layer)) (- (cadr layer))))\n"
         "    (if (string=? hints \"\") '()\n"
         "        (begin (gimp-image-insert-layer image hints-layer 0 -1)\n"
         "               (gimp-item-set-name hints-layer \"Hints\")))\n"
         "    (if (pair? selection) (apply gimp-image-select-rectangle\n"
         "                                 (append (list image CHANNEL-OP-REPLACE) selection)))\n"
         "    (apply procedure (append (list mode image drawable) arguments\n"
         "                             (cond ((string=? hints-argument \"layer\") (list hints-layer))\n"
         "                                   ((string=? hints-argument \"drawable\") (list drawable))\n"
         "                                   (else '()))))\n"
         "    (let ((saved (if (string=? saved-layer \"\") drawable\n"
         "                     (car (gimp-image-get-layer-by-name image saved-layer)))))\n"
         "      (file-png-save2 RUN-NONINTERACTIVE image saved out out 0 6 0 0 0 0 0 0 1))\n"
         "    (gimp-image-delete image)))\n";
  const std::string helper = "(load " + Quoted(work / "helper.scm") + ")\n";
  std::string command = "GIMP2_DIRECTORY=" + Quoted(home / "gimp-2.10") +
                        " timeout 600 gimp-console-2.10 -i -d -f -g " + Quoted(work / "gimprc");
  for (const Job& job : jobs) {
    const Case& c = *job.c;
    std::string arguments;
    for (const Argument& argument : c.arguments) arguments += " " + Scheme(argument.value);
    const fs::path script = work / (c.name + ".scm");
    std::ofstream(script) << helper << "(tessel-case " << Quoted(job.in) << " " << Quoted(job.outs.front()) << " "
                          << List(c.selection) << " " << List(c.layerBounds) << " "
                          << (c.lastValues ? "RUN-WITH-LAST-VALS" : "RUN-NONINTERACTIVE") << " "
                          << c.procedure << " " << Quoted(c.savedLayer) << " (list" << arguments << ") " << Quoted(job.hints)
                          << " " << Quoted(c.hintsArgument) << ")\n";
    command += " -b '(load " + Quoted(script) + ")'";
  }
  return command + " -b '(gimp-quit 0)'";
}

}  // namespace

const GimpRunner kRunner = {2, "batch command executed successfully", "batch command experienced an execution error",
                            false, Command};

}  // namespace tessel::test
