# Writes the two pages from page.html: index.html loads the module and the script beside it;
# pelmora.html holds everything (the script with its .wasm, the page's script, the icon), since a
# page opened from the disk may not load modules.
cmake_minimum_required(VERSION 3.25)
file(READ ${PAGE} template)
file(READ ${VIEWER} viewer)
file(READ ${SINGLE} single)

set(site_scripts [=[<script src="viewer.js"></script>
<script type="module">import createPelmora from "./pelmora.mjs"; startViewer(createPelmora);</script>]=])
string(REPLACE "@ICON@" "icon.png" index "${template}")
string(REPLACE "@SCRIPTS@" "${site_scripts}" index "${index}")
file(WRITE ${SITE}/index.html "${index}")

# The icon as a data URL (base64 of coreutils).
execute_process(COMMAND base64 -w0 ${ICON} OUTPUT_VARIABLE base64 COMMAND_ERROR_IS_FATAL ANY)

string(REPLACE "</script" "<\\/script" single "${single}")
string(REPLACE "</script" "<\\/script" viewer "${viewer}")
set(inline_scripts "<script id=\"module\">\n${single}\n</script>\n<script>\n${viewer}\nstartViewer(createPelmora, document.getElementById(\"module\").textContent);\n</script>")
string(REPLACE "@ICON@" "data:image/png;base64,${base64}" single_page "${template}")
string(REPLACE "@SCRIPTS@" "${inline_scripts}" single_page "${single_page}")
file(WRITE ${SITE}/pelmora.html "${single_page}")
