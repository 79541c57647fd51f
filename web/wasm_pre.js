// Runs inside the module before it starts. Its WebAssembly is inlined as base64 so that the page
// also works from file://; the module would read it with fetch() of a data: URL, which costs a
// browser several times what decoding the text here does, on the path to the first picture.
Module['instantiateWasm'] = function (imports, receive) {
  WebAssembly.instantiate(getBinary(wasmBinaryFile), imports).then(function (result) {
    receive(result['instance'], result['module']);
  }, abort);
  return {};
};
