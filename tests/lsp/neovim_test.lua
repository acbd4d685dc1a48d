-- Drives "scriba --lsp" from Neovim's own LSP client, as a user's editor would.
-- Run by neovim.sh: nvim --headless -u NONE -i NONE -c 'luafile tests/lsp/neovim_test.lua'
-- with SCRIBA_LSP_EXECUTABLE, SCRIBA_LSP_FOLDER (a scratch folder) and SCRIBA_LSP_RESULT set.
-- Each check writes "ok NAME" or "FAIL NAME: detail" to the result file; "done" ends it.
local scriba = os.getenv('SCRIBA_LSP_EXECUTABLE')
local folder = os.getenv('SCRIBA_LSP_FOLDER')
local result = assert(io.open(os.getenv('SCRIBA_LSP_RESULT'), 'w'))

local function report(name, ok, detail)
  result:write((ok and 'ok ' or 'FAIL ') .. name .. (ok and '' or (': ' .. tostring(detail))) .. '\n')
  result:flush()
end

local function finish()
  result:write('done\n')
  result:close()
  vim.cmd('qall!')
end

local function run()
  -- A script with a misspelt Tarn function on line 2 and a wrong argument count on line 4. The
  -- first line holds characters of two and four bytes, so UTF-16 positions matter.
  local path = folder .. '/model.lua'
  local file = assert(io.open(path, 'w'))
  file:write('-- é𝄞 model\n', 'tg_addcirle(0, 0, 5)\n', 'local _r = 2\n', 'tg_addcircle(1, 2)\n')
  file:close()

  local initialized = false
  local id = vim.lsp.start_client({
    name = 'scriba',
    cmd = { scriba, '--lsp' },
    root_dir = folder,
    -- A configuration file that does not exist: the built-in table, whatever lies beside the program.
    init_options = { iniPath = folder .. '/Scriba.ini' },
    on_init = function() initialized = true end,
  })
  report('client started', id ~= nil, 'start_client returned nil')
  vim.wait(10000, function() return initialized end, 20)
  report('initialized', initialized, 'no answer to initialize within 10 s')
  if not initialized then return end

  vim.cmd('edit ' .. vim.fn.fnameescape(path))
  local buffer = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(buffer, id)
  local client = vim.lsp.get_client_by_id(id)

  local function diagnostics()
    local lines = {}
    for _, d in ipairs(vim.diagnostic.get(buffer)) do
      table.insert(lines, string.format('%d:%d %s', d.lnum + 1, d.col, d.message))
    end
    table.sort(lines)
    return table.concat(lines, ' | ')
  end
  local function wait_for_diagnostics(expected)
    vim.wait(10000, function() return diagnostics() == expected end, 50)
    return diagnostics()
  end

  local expected = '2:0 unknown Tarn function tg_addcirle (did you mean tg_addcircle?) | '
                   .. '4:0 tg_addcircle expects 3 or 4 arguments, got 2'
  local got = wait_for_diagnostics(expected)
  report('diagnostics at the right lines', got == expected, got)

  -- Two lines being typed, for completion and signature help; the client sends them first.
  vim.api.nvim_buf_set_lines(buffer, 4, 4, false, { 'tg_add', 'tg_addcircle(1, f(2, 3), "a,b", ' })
  vim.wait(500)

  local function request(method, line, character)
    local params = { textDocument = { uri = vim.uri_from_bufnr(buffer) },
                     position = { line = line, character = character } }
    local answer, err = client.request_sync(method, params, 5000, buffer)
    if not answer then return nil, err end
    if answer.err then return nil, vim.inspect(answer.err) end
    return answer.result
  end

  local completion, err = request('textDocument/completion', 4, 6)
  local names = {}
  for _, item in ipairs(completion and (completion.items or completion) or {}) do
    names[item.label] = true
  end
  report('completion after tg_add', names.tg_addcircle and names.tg_addarc and not names.tn_addknot,
         err or vim.inspect(vim.tbl_keys(names)))

  -- After `tg_addcircle(1, f(2, 3), "a,b", ` the fourth parameter is typed: the commas inside the
  -- nested call and the string do not count.
  local help
  help, err = request('textDocument/signatureHelp', 5, 32)
  local active = help and (help.activeParameter or (help.signatures[1] or {}).activeParameter)
  report('signature help marks the fourth parameter', active == 3, err or vim.inspect(help))

  local hover
  hover, err = request('textDocument/hover', 3, 3)
  local text = hover and hover.contents and hover.contents.value or ''
  report('hover shows the reference', text:find('Adds a circle', 1, true) ~= nil, err or text)

  -- Take the typed lines out again, fix the misspelt name after the multi-byte first line and
  -- move the short call down a line: only its problem is left, where it now stands.
  vim.api.nvim_buf_set_lines(buffer, 4, 6, false, {})
  vim.api.nvim_buf_set_text(buffer, 1, 9, 1, 9, { 'c' })
  vim.api.nvim_buf_set_lines(buffer, 0, 1, false, { '-- 𝄞é model, changed', '' })
  expected = '5:0 tg_addcircle expects 3 or 4 arguments, got 2'
  got = wait_for_diagnostics(expected)
  report('diagnostics follow the edits', got == expected, got)

  vim.api.nvim_buf_set_text(buffer, 4, 17, 4, 17, { ', 3' })
  got = wait_for_diagnostics('')
  report('a clean script has no diagnostics', got == '', got)

  -- The requests about names, on a script of the scoping cases people get wrong: each use's
  -- definition is where Lua's scoping puts it.
  local names_path = folder .. '/names.lua'
  local names_lines = {
    'local x = 1', 'local x = x + 1', 'local function f(n) return f(n) end', 'g = nil',
    'local g = function() return g end', 'for i = 1, 2 do print(i) end', 'repeat local y = 1 until y',
    'local M = {}', 'function M:m() return self end', 'local function v(...) return ... end', 'local a = 1',
    'local function h() local a = 2 return a end', 'print(a)', 'local myhelper = 1', 'print(myh)',
    'local s = string.fo', 'local function two(p, q) end', 'two(1,', '  2)',
  }
  file = assert(io.open(names_path, 'w'))
  file:write(table.concat(names_lines, '\n') .. '\n')
  file:close()
  vim.cmd('edit ' .. vim.fn.fnameescape(names_path))
  local names_buffer = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(names_buffer, id)
  vim.wait(500)
  local function ask(method, line, character, extra)
    local params = { textDocument = { uri = vim.uri_from_bufnr(names_buffer) },
                     position = { line = line, character = character } }
    for k, v in pairs(extra or {}) do params[k] = v end
    local answer, failure = client.request_sync(method, params, 5000, names_buffer)
    if not answer then return nil, failure end
    if answer.err then return nil, vim.inspect(answer.err) end
    return answer.result
  end

  local scoping = {
    { 'local x = x', 1, 10, 0, 6 }, { 'local function f recursion', 2, 27, 2, 15 },
    { 'local f = function', 4, 28, 3, 0 }, { 'for variable', 5, 22, 5, 4 },
    { 'repeat ... until', 6, 25, 6, 13 }, { 'self', 8, 22, 8, 10 }, { 'varargs', 9, 29, 9, 17 },
    { 'shadowed in a nested function', 11, 38, 11, 25 }, { 'the outer one outside', 12, 6, 10, 6 },
  }
  for _, case in ipairs(scoping) do
    local found
    found, err = ask('textDocument/definition', case[2], case[3])
    local start = found and found[1] and found[1].range.start
    report('definition: ' .. case[1], start and start.line == case[4] and start.character == case[5],
           err or vim.inspect(found))
  end

  local function labels(answer)
    local set = {}
    for _, item in ipairs(answer and (answer.items or answer) or {}) do set[item.label] = true end
    return set
  end
  local offered
  offered, err = ask('textDocument/completion', 14, 9)
  report('completion of a local', labels(offered).myhelper, err or vim.inspect(vim.tbl_keys(labels(offered))))
  offered, err = ask('textDocument/completion', 15, 19)
  report('completion after string.', labels(offered).format and not labels(offered).print,
         err or vim.inspect(vim.tbl_keys(labels(offered))))

  help, err = ask('textDocument/signatureHelp', 18, 3)
  report('signature help on the second line of a call',
         help and help.signatures[1].label == 'two(p, q)' and help.activeParameter == 1, err or vim.inspect(help))

  hover, err = ask('textDocument/hover', 12, 1)
  text = hover and hover.contents and hover.contents.value or ''
  report('hover on a Lua function', text:find('print', 1, true) ~= nil, err or text)

  local uses
  uses, err = ask('textDocument/references', 12, 6, { context = { includeDeclaration = true } })
  report('references of a shadowed local', uses and #uses == 2 and uses[1].range.start.line == 10,
         err or vim.inspect(uses))
  uses, err = ask('textDocument/documentHighlight', 12, 6)
  report('document highlight', uses and #uses == 2 and uses[1].kind == 3 and uses[2].kind == 2,
         err or vim.inspect(uses))

  local prepared
  prepared, err = ask('textDocument/prepareRename', 12, 6)
  report('prepare rename', prepared and prepared.placeholder == 'a', err or vim.inspect(prepared))
  local edit
  edit, err = ask('textDocument/rename', 12, 6, { newName = 'outer_a' })
  local changes = edit and edit.changes and edit.changes[vim.uri_from_bufnr(names_buffer)]
  report('rename', changes and #changes == 2, err or vim.inspect(edit))
  edit, err = ask('textDocument/rename', 10, 6, { newName = 'h' })
  report('rename refused where a name would be captured', edit == nil and err ~= nil, vim.inspect(edit))

  local folds
  folds, err = ask('textDocument/foldingRange', 0, 0)
  local call_fold = false
  for _, range in ipairs(folds or {}) do
    if range.startLine == 17 and range.endLine == 18 then call_fold = true end
  end
  report('folding ranges', call_fold, err or vim.inspect(folds))

  local symbols = client.request_sync('workspace/symbol', { query = 'two' }, 5000, names_buffer)
  local found_two = false
  for _, symbol in ipairs(symbols and symbols.result or {}) do
    if symbol.name == 'two' then found_two = true end
  end
  report('workspace symbols', found_two, vim.inspect(symbols))

  vim.lsp.stop_client(id)
end

local ok, failure = pcall(run)
report('test script ran', ok, failure)
finish()
