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
  file:write('-- é𝄞 model\n', 'tg_addcirle(0, 0, 5)\n', 'local r = 2\n', 'tg_addcircle(1, 2)\n')
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

  vim.lsp.stop_client(id)
end

local ok, failure = pcall(run)
report('test script ran', ok, failure)
finish()
