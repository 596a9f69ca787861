// cim_xml.js - CIM-XML requests from the browser to this server's /cimom,
// and the answers read into plain objects. Values stay text; nothing read
// here is ever handed to the page as markup.
"use strict";

const cimXml = (() => {
  const escape = (text) => String(text).replace(/[&<>"']/g, (c) => `&#${c.charCodeAt(0)};`);

  const namespacePath = (ns) =>
    `<LOCALNAMESPACEPATH>${ns.split("/").map((part) => `<NAMESPACE NAME="${escape(part)}"/>`).join("")}</LOCALNAMESPACEPATH>`;

  // One IPARAMVALUE: a class name, a boolean, or XML already made.
  const param = {
    className: (name, value) => `<IPARAMVALUE NAME="${name}"><CLASSNAME NAME="${escape(value)}"/></IPARAMVALUE>`,
    flag: (name, value) => `<IPARAMVALUE NAME="${name}"><VALUE>${value ? "TRUE" : "FALSE"}</VALUE></IPARAMVALUE>`,
    text: (name, value) => `<IPARAMVALUE NAME="${name}"><VALUE>${escape(value)}</VALUE></IPARAMVALUE>`,
    xml: (name, xml) => `<IPARAMVALUE NAME="${name}">${xml}</IPARAMVALUE>`,
  };

  class CimError extends Error {
    constructor(code, description) {
      super(`CIM status ${code}${description ? ": " + description : ""}`);
      this.code = code;
      this.description = description;
    }
  }

  // Posts one request of method name about object (the CIMObject header's
  // text); resolves to the answer's document, rejects with a CimError as
  // the server gave it, or an Error for a transport failure.
  async function post(name, object, request) {
    const body = `<?xml version="1.0" encoding="utf-8" ?><CIM CIMVERSION="2.0" DTDVERSION="2.0">` +
      `<MESSAGE ID="1" PROTOCOLVERSION="1.0"><SIMPLEREQ>${request}</SIMPLEREQ></MESSAGE></CIM>`;
    const response = await fetch("/cimom", {
      method: "POST",
      credentials: "same-origin",
      headers: {
        "Content-Type": 'application/xml; charset="utf-8"',
        "CIMProtocolVersion": "1.0",
        "CIMOperation": "MethodCall",
        "CIMMethod": name,
        "CIMObject": encodeURIComponent(object),
      },
      body,
    });
    const text = await response.text();
    const error = response.headers.get("CIMError");
    if (!response.ok) throw new Error(`HTTP ${response.status}${error ? " (" + error + ")" : ""}`);
    const doc = new DOMParser().parseFromString(text, "application/xml");
    const failed = doc.querySelector("ERROR");
    if (failed) throw new CimError(Number(failed.getAttribute("CODE")), failed.getAttribute("DESCRIPTION") || "");
    return doc;
  }

  // Intrinsic method name in namespace ns with the IPARAMVALUEs params;
  // resolves to the IMETHODRESPONSE element.
  async function callResponse(ns, name, params = []) {
    const doc = await post(name, ns, `<IMETHODCALL NAME="${escape(name)}">${namespacePath(ns)}${params.join("")}</IMETHODCALL>`);
    return doc.querySelector("IMETHODRESPONSE");
  }

  // The same, resolving to the IRETURNVALUE element (or null).
  async function call(ns, name, params = []) {
    return (await callResponse(ns, name, params)).querySelector("IRETURNVALUE");
  }

  // The text of output parameter name of a pull operation's response.
  const outParameter = (response, name) =>
    valueText([...response.children].find((p) => p.tagName === "PARAMVALUE" && p.getAttribute("NAME") === name)?.firstElementChild);

  // Method name of the instance className with keys ([name, valuetype,
  // text]) in ns, with the input parameters [name, type, text] (text null:
  // NULL); resolves to {returnValue, out: [[name, text]]}.
  async function invoke(ns, className, keys, name, parameters) {
    const path = `${className}.${keys.map(([k, , v]) => `${k}="${v.replace(/["\\]/g, "\\$&")}"`).join(",")}`;
    const values = parameters.map(([p, type, text]) => `<PARAMVALUE NAME="${escape(p)}" PARAMTYPE="${escape(type)}">` +
      (text === null ? "" : `<VALUE>${escape(text)}</VALUE>`) + "</PARAMVALUE>").join("");
    const doc = await post(name, `${ns}:${path}`, `<METHODCALL NAME="${escape(name)}"><LOCALINSTANCEPATH>` +
      `${namespacePath(ns)}${instanceName(className, keys)}</LOCALINSTANCEPATH>${values}</METHODCALL>`);
    const response = doc.querySelector("METHODRESPONSE");
    const returned = response.querySelector(":scope > RETURNVALUE");
    return {
      returnValue: returned ? valueText(returned.firstElementChild) : null,
      out: [...response.querySelectorAll(":scope > PARAMVALUE")].map((p) =>
        [p.getAttribute("NAME"), valueText(p.firstElementChild)]),
    };
  }

  // A VALUE.NAMEDINSTANCE of className with keys and the scalar values
  // [name, type, text] (text null: NULL), for ModifyInstance.
  const namedInstance = (className, keys, values) =>
    `<VALUE.NAMEDINSTANCE>${instanceName(className, keys)}<INSTANCE CLASSNAME="${escape(className)}">${values
      .map(([name, type, text]) => `<PROPERTY NAME="${escape(name)}" TYPE="${escape(type)}">` +
        (text === null ? "" : `<VALUE>${escape(text)}</VALUE>`) + "</PROPERTY>").join("")}</INSTANCE></VALUE.NAMEDINSTANCE>`;

  // The text of a VALUE, VALUE.ARRAY or VALUE.REFERENCE element (null: NULL).
  function valueText(element) {
    if (!element) return null;
    if (element.tagName === "VALUE") return element.textContent;
    if (element.tagName === "VALUE.ARRAY")
      return [...element.children].map((v) => (v.tagName === "VALUE.NULL" ? "NULL" : v.textContent)).join(", ");
    if (element.tagName === "VALUE.REFERENCE") return pathText(element.firstElementChild);
    return null;
  }

  // An instance path as text: Class.Key="value",...
  function pathText(element) {
    const name = element && (element.tagName === "INSTANCENAME" ? element : element.querySelector("INSTANCENAME"));
    if (!name) return element ? element.textContent : "";
    const keys = [...name.querySelectorAll(":scope > KEYBINDING")].map((k) => {
      const value = k.firstElementChild;
      const text = value.tagName === "KEYVALUE" ? value.textContent : pathText(value);
      return `${k.getAttribute("NAME")}="${text}"`;
    });
    return `${name.getAttribute("CLASSNAME")}.${keys.join(",")}`;
  }

  // {name, type, value, origin, propagated, qualifiers} of each property of
  // a CLASS or INSTANCE element.
  function properties(element) {
    return [...element.children]
      .filter((p) => p.tagName.startsWith("PROPERTY"))
      .map((p) => ({
        name: p.getAttribute("NAME"),
        type: p.tagName === "PROPERTY.REFERENCE" ? `${p.getAttribute("REFERENCECLASS") || "object"} REF`
          : p.getAttribute("TYPE") + (p.tagName === "PROPERTY.ARRAY" ? "[]" : ""),
        value: valueText([...p.children].find((c) => c.tagName.startsWith("VALUE"))),
        origin: p.getAttribute("CLASSORIGIN") || "",
        qualifiers: [...p.querySelectorAll(":scope > QUALIFIER")].map((q) => {
          const v = valueText([...q.children].find((c) => c.tagName.startsWith("VALUE")));
          return v === null || v === "TRUE" ? q.getAttribute("NAME") : `${q.getAttribute("NAME")}(${v})`;
        }),
      }));
  }

  // The KEYBINDINGs of an INSTANCENAME as [name, valuetype, text], null
  // when a key is a reference (such paths are not carried in links).
  function keysOf(instanceName) {
    const keys = [];
    for (const k of instanceName.querySelectorAll(":scope > KEYBINDING")) {
      const value = k.firstElementChild;
      if (value.tagName !== "KEYVALUE") return null;
      keys.push([k.getAttribute("NAME"), value.getAttribute("VALUETYPE") || "string", value.textContent]);
    }
    return keys;
  }

  // An INSTANCENAME of className with keys [name, valuetype, text].
  function instanceName(className, keys) {
    return `<INSTANCENAME CLASSNAME="${escape(className)}">${keys
      .map(([name, type, text]) => `<KEYBINDING NAME="${escape(name)}"><KEYVALUE VALUETYPE="${escape(type)}">${escape(text)}</KEYVALUE></KEYBINDING>`)
      .join("")}</INSTANCENAME>`;
  }

  // The qualifier name's value on element (null when it has none);
  // booleans as "TRUE" or "FALSE".
  const qualifier = (element, name) => {
    const q = [...element.children].find((c) => c.tagName === "QUALIFIER" && c.getAttribute("NAME").toLowerCase() === name.toLowerCase());
    const text = q ? valueText([...q.children].find((c) => c.tagName.startsWith("VALUE"))) : null;
    return q && q.getAttribute("TYPE") === "boolean" && text !== null ? text.toUpperCase() : text;
  };

  return { call, callResponse, outParameter, invoke, param, properties, keysOf, instanceName, namedInstance, qualifier, pathText, CimError };
})();
