// console.js - the pages of the console: namespaces, a namespace's class
// tree, a class, its instances, an instance. Routes live in the URL's
// fragment; every text from the server goes into the page as text.
"use strict";

const { call, param } = cimXml;
const page = document.getElementById("page");
const where = document.getElementById("where");

// An element with children: strings become text, never markup.
function el(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (name === "onclick" || name === "oninput") node[name] = value;
    else node.setAttribute(name, value);
  }
  for (const child of children) node.append(child instanceof Node ? child : String(child ?? ""));
  return node;
}

const link = (text, ...route) => el("a", { href: "#/" + route.map(encodeURIComponent).join("/") }, text);

function show(title, ...content) {
  where.textContent = title;
  page.replaceChildren(...content);
}

function failure(error) {
  return el("div", { class: "error" }, error instanceof cimXml.CimError
    ? `The server refused: CIM status ${error.code}${error.description ? " - " + error.description : ""}`
    : `The request failed: ${error.message}`);
}

// A table whose columns sort on a click and whose rows a text filters.
function sortableTable(columns, rows, open) {
  let order = { column: 0, up: true };
  const filter = el("input", { type: "search", placeholder: "filter rows" });
  const body = el("tbody");
  const draw = () => {
    const wanted = filter.value.toLowerCase();
    const shown = rows
      .filter((row) => !wanted || row.cells.some((c) => String(c ?? "").toLowerCase().includes(wanted)))
      .sort((a, b) => {
        const x = a.cells[order.column] ?? "", y = b.cells[order.column] ?? "";
        const n = Number(x) - Number(y);
        const c = Number.isNaN(n) || x === "" || y === "" ? String(x).localeCompare(String(y)) : n;
        return order.up ? c : -c;
      });
    body.replaceChildren(...shown.map((row) => {
      const tr = el("tr", { class: "row" }, ...row.cells.map((c) => el("td", {}, c ?? "NULL")));
      if (open && row.open) tr.onclick = () => open(row);
      return tr;
    }));
  };
  const head = el("tr", {}, ...columns.map((name, i) => el("th", {
    onclick: () => { order = { column: i, up: order.column === i ? !order.up : true }; draw(); },
  }, name)));
  filter.oninput = draw;
  const count = el("span", {}, `${rows.length} rows`);
  draw();
  // Takes more rows, drawn in the order and filter chosen.
  const add = (more) => {
    rows.push(...more);
    count.textContent = `${rows.length} rows`;
    draw();
  };
  return { node: el("div", {}, filter, el("table", {}, el("thead", {}, head), body), el("p", {}, count)), add };
}

const routes = {
  async server() {
    const figures = el("div", {}, "Reading /metrics...");
    show("server", el("h2", {}, "The server now"), figures);
    serverFigures.watch(figures, () => location.hash === "#/server" && figures.isConnected, el);
  },

  "": async () => {
    const names = await call("root/interop", "EnumerateInstances", [param.className("ClassName", "CIM_Namespace")]);
    const spaces = [...names.querySelectorAll("INSTANCE")]
      .map((i) => cimXml.properties(i).find((p) => p.name === "Name")?.value)
      .filter(Boolean).sort();
    show("namespaces", el("h2", {}, "Namespaces"), el("ul", {}, ...spaces.map((ns) => el("li", {}, link(ns, "ns", ns)))));
  },

  async ns(ns) {
    const answer = await call(ns, "EnumerateClasses", [param.flag("DeepInheritance", true),
      param.flag("LocalOnly", true), param.flag("IncludeQualifiers", false)]);
    const classes = [...answer.querySelectorAll("CLASS")].map((c) => ({
      name: c.getAttribute("NAME"), superclass: c.getAttribute("SUPERCLASS") || "" }));
    const children = new Map();
    for (const c of classes) children.set(c.superclass, [...(children.get(c.superclass) || []), c.name]);
    const known = new Set(classes.map((c) => c.name));
    const branch = (name) => {
      const below = (children.get(name) || []).sort();
      const item = el("li", {}, link(name, "class", ns, name));
      if (below.length) item.append(el("ul", {}, ...below.map(branch)));
      return item;
    };
    const roots = classes.filter((c) => !c.superclass || !known.has(c.superclass)).map((c) => c.name).sort();
    const tree = el("div", { class: "tree" }, el("ul", {}, ...roots.map(branch)));
    const search = el("input", { type: "search", placeholder: "search classes by name" });
    const found = el("ul");
    search.oninput = () => {
      const wanted = search.value.toLowerCase();
      tree.hidden = wanted !== "";
      found.replaceChildren(...(wanted ? classes.filter((c) => c.name.toLowerCase().includes(wanted))
        .map((c) => el("li", {}, link(c.name, "class", ns, c.name))) : []));
    };
    show(ns, el("h2", {}, `Classes of ${ns} (${classes.length})`), search, found, tree);
  },

  async class(ns, name) {
    const [answer, local] = await Promise.all([
      call(ns, "GetClass", [param.className("ClassName", name), param.flag("LocalOnly", false),
        param.flag("IncludeQualifiers", true), param.flag("IncludeClassOrigin", true)]),
      call(ns, "GetClass", [param.className("ClassName", name), param.flag("LocalOnly", true), param.flag("IncludeQualifiers", true)]),
    ]);
    const cls = answer.querySelector("CLASS");
    const rows = cimXml.properties(cls).map((p) => el("tr", { class: p.origin && p.origin !== name ? "inherited" : "" },
      el("td", {}, p.name), el("td", {}, p.type), el("td", {}, p.origin && p.origin !== name ? `from ${p.origin}` : ""),
      el("td", {}, p.value ?? ""), el("td", {}, p.qualifiers.join(", "))));
    const methods = [...cls.querySelectorAll(":scope > METHOD")].map((m) => el("li", {}, el("code", {},
      `${m.getAttribute("TYPE") || "void"} ${m.getAttribute("NAME")}(${[...m.children]
        .filter((c) => c.tagName.startsWith("PARAMETER"))
        .map((c) => `${c.getAttribute("TYPE") || c.getAttribute("REFERENCECLASS") || ""} ${c.getAttribute("NAME")}`)
        .join(", ")})`)));
    const superclass = cls.getAttribute("SUPERCLASS");
    show(`${ns} / ${name}`, el("h2", {}, name),
      el("p", {}, superclass ? "Subclass of " : "", superclass ? link(superclass, "class", ns, superclass) : "",
        " - ", link("instances", "instances", ns, name)),
      el("h3", {}, "Properties"),
      el("table", {}, el("tr", {}, ...["name", "type", "origin", "default", "qualifiers"].map((h) => el("th", {}, h))), ...rows),
      el("h3", {}, "Methods"), methods.length ? el("ul", {}, ...methods) : el("p", {}, "none"),
      el("h3", {}, "MOF"), mofView(name, mofText(local.querySelector("CLASS"))));
  },

  // A page of instances at a time, read with a pulled enumeration.
  async instances(ns, name) {
    const pageSize = 100;
    const [classAnswer, first] = await Promise.all([
      call(ns, "GetClass", [param.className("ClassName", name), param.flag("LocalOnly", false), param.flag("IncludeQualifiers", false)]),
      cimXml.callResponse(ns, "OpenEnumerateInstances", [param.className("ClassName", name), param.text("MaxObjectCount", pageSize)]),
    ]);
    const columns = cimXml.properties(classAnswer.querySelector("CLASS")).map((p) => p.name);
    const rowsOf = (response) => [...response.querySelectorAll("IRETURNVALUE > VALUE\\.INSTANCEWITHPATH")].map((n) => {
      const values = new Map(cimXml.properties(n.querySelector("INSTANCE")).map((p) => [p.name, p.value]));
      const instanceName = n.querySelector("INSTANCEPATH > INSTANCENAME");
      const keys = cimXml.keysOf(instanceName);
      return { cells: columns.map((c) => values.get(c)), open: keys && { className: instanceName.getAttribute("CLASSNAME"), keys } };
    });
    const table = sortableTable(columns, rowsOf(first), (row) => {
      location.hash = "#/" + ["instance", ns, row.open.className, JSON.stringify(row.open.keys)].map(encodeURIComponent).join("/");
    });
    const said = el("span");
    let context = cimXml.outParameter(first, "EnumerationContext");
    const more = el("button", { onclick: async () => {
      try {
        const next = await cimXml.callResponse(ns, "PullInstancesWithPath",
          [param.text("EnumerationContext", context), param.text("MaxObjectCount", pageSize)]);
        table.add(rowsOf(next));
        context = cimXml.outParameter(next, "EnumerationContext");
        more.hidden = cimXml.outParameter(next, "EndOfSequence")?.toUpperCase() === "TRUE";
      } catch (error) {
        more.hidden = true;
        said.replaceChildren(failure(error));
      }
    } }, `Load the next ${pageSize}`);
    more.hidden = cimXml.outParameter(first, "EndOfSequence")?.toUpperCase() === "TRUE";
    show(`${ns} / ${name} / instances`, el("h2", {}, `Instances of ${name}`), table.node, more, said);
  },

  async instance(ns, className, keysJson) {
    const keys = JSON.parse(keysJson);
    const [answer, classAnswer, references] = await Promise.all([
      call(ns, "GetInstance", [param.xml("InstanceName", cimXml.instanceName(className, keys)), param.flag("LocalOnly", false)]),
      call(ns, "GetClass", [param.className("ClassName", className), param.flag("LocalOnly", false),
        param.flag("IncludeQualifiers", true)]),
      call(ns, "References", [param.xml("ObjectName", cimXml.instanceName(className, keys))]).catch((error) => error),
    ]);
    const cls = classAnswer.querySelector("CLASS");
    const declared = new Map([...cls.children].filter((c) => c.tagName.startsWith("PROPERTY"))
      .map((c) => [c.getAttribute("NAME"), c]));
    const rows = cimXml.properties(answer.querySelector("INSTANCE")).map((p) => {
      const declaration = declared.get(p.name);
      const writable = declaration && declaration.tagName === "PROPERTY" && cimXml.qualifier(declaration, "Write") === "TRUE" &&
        cimXml.qualifier(declaration, "Key") !== "TRUE";
      return el("tr", {}, el("td", {}, p.name), el("td", {}, p.type),
        el("td", { class: "mono" }, writable ? editor(ns, className, keys, p) : p.value ?? "NULL"));
    });
    show(`${ns} / ${className}`, el("h2", {}, `${className}.${keys.map(([k, , v]) => `${k}="${v}"`).join(",")}`),
      el("p", {}, link(`all ${className}`, "instances", ns, className), " ", deleter(ns, className, keys)),
      el("h3", {}, "Associations"),
      references instanceof Error ? failure(references) : associationGraph(ns, className, keys, references),
      el("h3", {}, "Methods"), ...methodForms(ns, className, keys, cls),
      el("h3", {}, "Values"),
      el("table", {}, el("tr", {}, ...["property", "type", "value"].map((h) => el("th", {}, h))), ...rows));
  },
};

// The class's MOF, with a button that copies it and a link that saves it.
function mofView(name, text) {
  const said = el("span");
  const copy = el("button", { onclick: async () => {
    try {
      await navigator.clipboard.writeText(text);
      said.textContent = "copied";
    } catch (error) {
      said.textContent = `not copied: ${error.message}`;
    }
  } }, "Copy");
  const save = el("a", { href: URL.createObjectURL(new Blob([text], { type: "text/plain" })), download: `${name}.mof` }, "Download");
  return el("div", {}, el("p", {}, copy, " ", save, " ", said), el("pre", { class: "mof" }, text));
}

// The instances associated with this one, drawn around it: one node each,
// the association class on its line, each node opening that instance.
function associationGraph(ns, className, keys, references) {
  const self = cimXml.pathText(new DOMParser().parseFromString(cimXml.instanceName(className, keys), "application/xml").documentElement);
  const ends = [];
  for (const association of references ? references.querySelectorAll("VALUE\\.OBJECTWITHPATH > INSTANCE") : []) {
    for (const reference of association.querySelectorAll(":scope > PROPERTY\\.REFERENCE > VALUE\\.REFERENCE")) {
      const name = reference.querySelector("INSTANCENAME");
      if (!name || cimXml.pathText(name) === self) continue;
      const space = [...reference.querySelectorAll("NAMESPACE")].map((n) => n.getAttribute("NAME")).join("/") || ns;
      ends.push({ association: association.getAttribute("CLASSNAME"), space, className: name.getAttribute("CLASSNAME"),
        keys: cimXml.keysOf(name), text: cimXml.pathText(name) });
    }
  }
  if (!ends.length) return el("p", {}, "none");
  const svgNs = "http://www.w3.org/2000/svg";
  const svg = (tag, attributes = {}, ...children) => {
    const node = document.createElementNS(svgNs, tag);
    for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, value);
    node.append(...children);
    return node;
  };
  // At most six ends of each association class; the rest are counted.
  const groups = new Map();
  for (const end of ends) groups.set(end.association, [...(groups.get(end.association) || []), end]);
  const shown = [...groups.values()].flatMap((group) => group.slice(0, 6));
  const more = [...groups].filter(([, group]) => group.length > 6)
    .map(([association, group]) => `${group.length - 6} more through ${association}`);
  // The instance in the middle, its ends in a column on each side.
  const rows = Math.ceil(shown.length / 2), step = 40;
  const width = 960, height = Math.max(80, rows * step + 20), cx = width / 2, cy = height / 2;
  const drawing = svg("svg", { width, height, viewBox: `0 0 ${width} ${height}`, class: "graph", role: "img",
    "aria-label": `${ends.length} associated instances` });
  const node = (x, y, label, title) => svg("g", {}, svg("title", {}, title),
    svg("rect", { x: x - 110, y: y - 13, width: 220, height: 26, rx: 6 }),
    svg("text", { x, y: y + 5, "text-anchor": "middle" }, label.length > 30 ? label.slice(0, 29) + "..." : label));
  shown.forEach((end, i) => {
    const left = i % 2 === 0, row = Math.floor(i / 2);
    const x = left ? 120 : width - 120, y = 30 + row * step;
    drawing.append(svg("line", { x1: cx, y1: cy, x2: left ? x + 110 : x - 110, y2: y }),
      svg("text", { x: left ? x + 120 : x - 120, y: y - 4, "text-anchor": left ? "start" : "end", class: "edge" }, end.association));
    const named = end.keys && (end.keys.find(([k]) => /^(Name|Handle|InstanceID)$/i.test(k)) || end.keys.at(-1));
    const box = node(x, y, `${end.className} ${named ? named[2] : ""}`, end.text);
    drawing.append(end.keys
      ? svg("a", { href: "#/" + ["instance", end.space, end.className, JSON.stringify(end.keys)].map(encodeURIComponent).join("/"),
        "aria-label": end.text }, box)
      : box);
  });
  drawing.append(svg("g", { class: "self" }, node(cx, cy, className, self)));
  return el("div", {}, drawing, ...more.map((text) => el("p", {}, `and ${text}`)));
}

// An input for a writable property with a button that saves it alone
// (ModifyInstance with that property in the property list).
function editor(ns, className, keys, property) {
  const input = el("input", { value: property.value ?? "", "aria-label": property.name });
  const said = el("span");
  const save = el("button", { onclick: async () => {
    said.replaceChildren("saving...");
    try {
      const text = input.value === "" ? null : input.value;
      await call(ns, "ModifyInstance", [
        param.xml("ModifiedInstance", cimXml.namedInstance(className, keys, [[property.name, property.type, text]])),
        param.xml("PropertyList", `<VALUE.ARRAY><VALUE>${property.name}</VALUE></VALUE.ARRAY>`)]);
      said.replaceChildren("saved");
    } catch (error) {
      said.replaceChildren(failure(error));
    }
  } }, "Save");
  return el("span", {}, input, " ", save, " ", said);
}

// A button that asks once more, then deletes the instance.
function deleter(ns, className, keys) {
  const said = el("span");
  const button = el("button", { onclick: async () => {
    if (button.textContent === "Delete") {
      button.textContent = "Really delete this instance?";
      return;
    }
    try {
      await call(ns, "DeleteInstance", [param.xml("InstanceName", cimXml.instanceName(className, keys))]);
      location.hash = "#/" + ["instances", ns, className].map(encodeURIComponent).join("/");
    } catch (error) {
      button.textContent = "Delete";
      said.replaceChildren(failure(error));
    }
  } }, "Delete");
  return el("span", {}, button, " ", said);
}

// A form for each method of the class, built from its input parameters,
// that shows the return value and the output parameters.
function methodForms(ns, className, keys, cls) {
  const methods = [...cls.querySelectorAll(":scope > METHOD")];
  if (!methods.length) return [el("p", {}, "none")];
  return methods.map((method) => {
    const name = method.getAttribute("NAME");
    const inputs = [...method.children]
      // Input: In, or no In and no Out (In is true unless said otherwise).
      .filter((p) => p.tagName === "PARAMETER" && (cimXml.qualifier(p, "In") ?? (cimXml.qualifier(p, "Out") === "TRUE" ? "FALSE" : "TRUE")) === "TRUE")
      .map((p) => [p.getAttribute("NAME"), p.getAttribute("TYPE"), el("input", { "aria-label": `${name} ${p.getAttribute("NAME")}` })]);
    const said = el("div", { class: "mono" });
    const run = el("button", { onclick: async () => {
      said.replaceChildren("calling...");
      try {
        const result = await cimXml.invoke(ns, className, keys, name,
          inputs.map(([p, type, input]) => [p, type, input.value === "" ? null : input.value]));
        said.replaceChildren(...[`ReturnValue = ${result.returnValue ?? "NULL"}`,
          ...result.out.map(([p, v]) => `${p} = ${v ?? "NULL"}`)].map((line) => el("div", {}, line)));
      } catch (error) {
        said.replaceChildren(failure(error));
      }
    } }, `Invoke ${name}`);
    return el("div", { class: "method" }, el("code", {}, `${method.getAttribute("TYPE") || "void"} ${name}`), " ",
      ...inputs.flatMap(([p, type, input]) => [el("label", {}, `${p} (${type}) `, input), " "]), run, said);
  });
}

async function route() {
  const [name = "", ...args] = location.hash.replace(/^#\/?/, "").split("/").map(decodeURIComponent);
  const handler = Object.hasOwn(routes, name) ? routes[name] : routes[""];
  page.replaceChildren(el("p", {}, "Loading..."));
  try {
    await handler(...args);
  } catch (error) {
    show("", failure(error));
  }
}

window.addEventListener("hashchange", route);
route();
