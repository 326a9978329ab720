// The viewer's own style sheet: the look of every element before the page's styles apply.

#include "platform/ui/HtmlContainer.h"

const char* device::ui::html::MasterStyleSheet() {
    return R"CSS(
html { display: block; }
head, title, meta, link, style, script, base, param, noscript { display: none; }
body { display: block; margin: 8px; color: black; background-color: white; }
p { display: block; margin-top: 0.8em; margin-bottom: 0.8em; }
div, address, blockquote, center, form, fieldset, section, article, header, footer, nav, dl, dd, dt, hr, pre { display: block; }
h1 { display: block; font-size: 1.8em; font-weight: bold; margin: 0.6em 0; }
h2 { display: block; font-size: 1.5em; font-weight: bold; margin: 0.6em 0; }
h3 { display: block; font-size: 1.25em; font-weight: bold; margin: 0.6em 0; }
h4 { display: block; font-size: 1em; font-weight: bold; margin: 0.8em 0; }
h5 { display: block; font-size: 0.85em; font-weight: bold; margin: 0.8em 0; }
h6 { display: block; font-size: 0.7em; font-weight: bold; margin: 0.8em 0; }
b, strong, th { font-weight: bold; }
i, em, cite, var, dfn, address { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
tt, code, kbd, samp, pre { font-family: monospace; }
pre { white-space: pre; margin: 0.8em 0; }
big { font-size: 1.2em; }
small, sub, sup { font-size: 0.83em; }
sub { vertical-align: sub; }
sup { vertical-align: super; }
center { text-align: center; }
blockquote { margin: 0.8em 20px; }
dd { margin-left: 20px; }
hr { border: 1px inset gray; margin: 0.5em 0; height: 0; }
br { display: block; }
a:link, a { color: #0000C0; text-decoration: underline; cursor: pointer; }
img { display: inline-block; }
ul, menu, dir { display: block; list-style-type: disc; margin: 0.6em 0; padding-left: 24px; }
ol { display: block; list-style-type: decimal; margin: 0.6em 0; padding-left: 28px; }
ul ul, ol ul { list-style-type: circle; }
ul ul ul, ol ol ul, ol ul ul, ul ol ul { list-style-type: square; }
li { display: list-item; }
table { display: table; border-collapse: separate; border-spacing: 2px; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
caption { display: table-caption; text-align: center; }
col { display: table-column; }
colgroup { display: table-column-group; }
table[border] { border-style: solid; border-color: gray; }
table[border] td, table[border] th { border: 1px solid gray; }
input, select, textarea, button { display: inline-block; }
font { display: inline; }
)CSS";
}
