-- scenario-tool's language server in a headless Neovim (0.7 and later), through Neovim's own
-- client: the texts opened from Windows-1252 files with CR LF, diagnostics with their notes,
-- hover, document symbols, completion, a quick fix applied as Neovim applies workspace edits,
-- and an edit that clears the fault. Any failed check ends Neovim with status 1 and a message on
-- standard error; a guard ends it with status 3 if the whole takes more than a minute.
--
-- SCENARIO_TOOL names the tool, SCENARIO_EDITOR_WORK a folder the test may empty and fill.

local tool = os.getenv('SCENARIO_TOOL')
local work = os.getenv('SCENARIO_EDITOR_WORK')

local function quit(status, message)
  io.stderr:write(message .. '\n')
  io.stderr:flush()
  vim.cmd('cquit ' .. status)
end

local guard = vim.loop.new_timer()
guard:start(60000, 0, function()
  io.stderr:write('neovim_test: FAILED: timed out after 60 s\n')
  io.stderr:flush()
  os.exit(3)
end)

local function check(condition, message, ...)
  if not condition then error(string.format(message, ...), 2) end
end

-- Text as a line or a table, for messages.
local function show(value)
  return vim.inspect(value, { newline = ' ', indent = '' })
end

vim.o.fileencodings = 'ucs-bom,utf-8,cp1252'
vim.o.fileformats = 'unix,dos'
vim.o.hidden = true
vim.o.swapfile = false

local line_name = 'Metrò 2'
local line_lines = {
  '[generale]', -- 0
  'lunghezza percorso, 5000', -- 1
  '[pendenze]', -- 2
  'pendenza, 0, 0', -- 3
  'pendenza, 2000, 5', -- 4
  'pendenza, 1500, 3', -- 5: out of order, noted at line 4
  '[cartelli]', -- 6
  'indicatori_vmax, 400, 80, 80, 80, 0, , , , 0', -- 7
  '[indicazioni]', -- 8
  'cartello_indicatore, 3000, (BIGLIETTO 2 €)', -- 9: a Windows-1252 byte Latin-1 lacks
  '[fine]', -- 10
}
local train_lines = {
  '[generale]', -- 0
  'numero vetture, 4', -- 1
  '[vel_limite]', -- 2
  'velocita, 0, 83', -- 3: rounded to 85
  '[stazioni]', -- 4
  'stazione, 1000, 12, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, Città Alta', -- 5: stops in a cell
  'stazione, 1400, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 32, 0, Porta Nuova', -- 6: fault 22
  '[segnali]', -- 7
  'segnalle, 2500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0', -- 8: misspelt
  '', -- 9
  'segnale, 3500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0', -- 10
  '[fine]', -- 11
}

-- Writes a text as the program does: Windows-1252, CR LF. Returns the bytes.
local function write_text(path, lines)
  local bytes = vim.fn.iconv(table.concat(lines, '\r\n') .. '\r\n', 'utf-8', 'cp1252')
  check(bytes ~= '', 'iconv cannot write Windows-1252')
  local file = assert(io.open(path, 'wb'))
  file:write(bytes)
  file:close()
  return bytes
end

local function read_bytes(path)
  local file = assert(io.open(path, 'rb'))
  local bytes = file:read('*a')
  file:close()
  return bytes
end

local function wait_for(what, condition, describe)
  if not vim.wait(10000, condition, 20) then
    error(string.format('timed out waiting for %s; %s', what, describe and describe() or ''), 2)
  end
end

local function diagnostics_of(bufnr, accept)
  return vim.tbl_filter(accept, vim.diagnostic.get(bufnr))
end

local function one(bufnr, what, accept)
  local found = diagnostics_of(bufnr, accept)
  check(#found == 1, 'expected one diagnostic %s, got %d among %s', what, #found,
    show(vim.diagnostic.get(bufnr)))
  return found[1]
end

local ERROR, WARN = vim.diagnostic.severity.ERROR, vim.diagnostic.severity.WARN
local function is_fault22(d)
  return d.severity == ERROR and d.code == 22
end
local function is_misspelt(d)
  return d.severity == WARN and d.message:find('"segnalle"', 1, true) ~= nil
end
local function is_speed(d)
  return d.severity == WARN and d.message:find('83', 1, true) ~= nil
end

local function same_file(a, b)
  return vim.loop.fs_realpath(a) == vim.loop.fs_realpath(b)
end

-- The one answer of the server to a request on a buffer.
local function request(bufnr, method, params)
  local answers, err = vim.lsp.buf_request_sync(bufnr, method, params, 5000)
  check(answers, '%s: no answer (%s)', method, tostring(err))
  local _, answer = next(answers)
  check(answer and not answer.err, '%s failed: %s', method, show(answer))
  return answer.result
end

local function find_symbol(symbols, name)
  for _, symbol in ipairs(symbols or {}) do
    if symbol.name == name then return symbol end
  end
  error(string.format('no symbol "%s" among %s', name, show(vim.tbl_map(function(s)
    return s.name
  end, symbols or {}))), 2)
end

local function run()
  check(tool and work, 'SCENARIO_TOOL and SCENARIO_EDITOR_WORK must be set')
  local dir = work .. '/scenario'
  vim.fn.delete(dir, 'rf')
  vim.fn.mkdir(dir, 'p')
  local line_path = dir .. '/' .. line_name .. '_linea.txt'
  local train_path = dir .. '/' .. line_name .. '_R1-.txt'
  local bytes = {
    [line_path] = write_text(line_path, line_lines),
    [train_path] = write_text(train_path, train_lines),
  }

  local exit_code
  local client_id = vim.lsp.start_client({
    name = 'scenario-tool',
    cmd = { tool, 'lsp' },
    root_dir = dir,
    on_exit = function(code) exit_code = code end,
  })
  check(client_id, 'the client did not start')

  -- The train text, as the editor reads it from its Windows-1252 bytes.
  vim.cmd('edit ' .. vim.fn.fnameescape(train_path))
  local train = vim.api.nvim_get_current_buf()
  check(vim.bo[train].fileformat == 'dos', 'fileformat %s', vim.bo[train].fileformat)
  local encoding = vim.bo[train].fileencoding
  check(encoding == 'cp1252' or encoding == 'latin1', 'fileencoding %s', encoding)
  check(vim.api.nvim_buf_get_lines(train, 5, 6, true)[1]:find('Città Alta', 1, true),
    'the train text did not open as Windows-1252')
  check(vim.lsp.buf_attach_client(train, client_id), 'attach failed')
  wait_for('initialization', function()
    local started = vim.lsp.get_client_by_id(client_id)
    return exit_code ~= nil or (started and started.initialized)
  end)
  check(exit_code == nil, 'the server ended with status %s before it was initialized', exit_code)
  local client = vim.lsp.get_client_by_id(client_id)
  check(client.offset_encoding == 'utf-16', 'offset encoding %s', client.offset_encoding)

  -- Diagnostics: the fault with its note, and two warnings; "ò" is no warning.
  local function describe_train() return show(vim.diagnostic.get(train)) end
  wait_for('the fault in the train text', function()
    return #diagnostics_of(train, is_fault22) > 0 and #diagnostics_of(train, is_misspelt) > 0
  end, describe_train)
  local fault = one(train, 'of fault 22', is_fault22)
  check(fault.lnum == 6 and fault.col == 0 and fault.end_lnum == 6 and fault.end_col == 8,
    'fault 22 at the second station\'s keyword: %s', show(fault))
  check(fault.source == 'scenario-tool', 'source %s', tostring(fault.source))
  check(vim.endswith(fault.message, ' [codice registrato]'), 'message %s', fault.message)
  local related = fault.user_data and fault.user_data.lsp and fault.user_data.lsp.relatedInformation
  check(related and #related == 1, 'the note of fault 22: %s', show(fault))
  check(related[1].location.range.start.line == 5, 'the note at the first station: %s', show(related))
  check(same_file(vim.uri_to_fname(related[1].location.uri), train_path), 'the note in %s',
    related[1].location.uri)
  check(related[1].message:find('precedente', 1, true), 'note %s', related[1].message)
  local misspelt = one(train, 'on "segnalle"', is_misspelt)
  check(misspelt.lnum == 8 and misspelt.col == 0 and misspelt.end_col == 8, 'at %s', show(misspelt))
  local speed = one(train, 'on the rounded speed', is_speed)
  check(speed.lnum == 3 and speed.col == 13, 'at the value 83: %s', show(speed))
  check(#diagnostics_of(train, function(d) return d.severity == WARN end) == 2,
    'two warnings: %s', describe_train())

  -- Hover on the first station: its name and what it compiled to.
  local hover = request(train, 'textDocument/hover', {
    textDocument = { uri = vim.uri_from_bufnr(train) },
    position = { line = 5, character = 3 },
  })
  check(hover and hover.contents and hover.contents.kind == 'markdown', 'hover %s', show(hover))
  local markdown = hover.contents.value
  for _, piece in ipairs({ 'stazione', 'Città Alta', 'voce', 'cell' }) do
    check(markdown:find(piece, 1, true), 'hover without "%s": %s', piece, markdown)
  end
  check(markdown:find('cell[ae] %d') and markdown:find('voce %d'), 'cells and header entry: %s', markdown)

  -- Document symbols: sections holding their records.
  local symbols = request(train, 'textDocument/documentSymbol', {
    textDocument = { uri = vim.uri_from_bufnr(train) },
  })
  local stations = find_symbol(symbols, '[stazioni]')
  check(stations.kind == 3, 'a section is a namespace: %s', show(stations))
  local first = find_symbol(stations.children, 'stazione Città Alta')
  check(first.detail and first.detail:find('1000', 1, true), 'detail %s', show(first))
  check(first.range.start.line == 5, 'range %s', show(first.range))
  find_symbol(stations.children, 'stazione Porta Nuova')
  find_symbol(find_symbol(symbols, '[segnali]').children, 'segnale 3500 m')

  -- Completion: Neovim 0.7 takes no snippets, so the keywords come as text.
  local completion = request(train, 'textDocument/completion', {
    textDocument = { uri = vim.uri_from_bufnr(train) },
    position = { line = 9, character = 0 },
  })
  local items = completion.items or completion
  local signal
  for _, item in ipairs(items) do
    if item.label == 'segnale' then signal = item end
    check(item.insertTextFormat ~= 2, 'a snippet for a client without them: %s', show(item))
  end
  check(signal and signal.kind == 14, 'the keyword "segnale": %s', show(items))
  check(not (signal.insertText or ''):find('${', 1, true), 'plain text: %s', show(signal))

  -- The quick fix of the misspelt keyword, applied as Neovim applies a workspace edit.
  local actions = request(train, 'textDocument/codeAction', {
    textDocument = { uri = vim.uri_from_bufnr(train) },
    range = {
      start = { line = misspelt.lnum, character = misspelt.col },
      ['end'] = { line = misspelt.end_lnum, character = misspelt.end_col },
    },
    context = {
      diagnostics = { {
        range = {
          start = { line = misspelt.lnum, character = misspelt.col },
          ['end'] = { line = misspelt.end_lnum, character = misspelt.end_col },
        },
        severity = 2,
        message = misspelt.message,
        source = misspelt.source,
      } },
    },
  })
  local fix
  for _, action in ipairs(actions or {}) do
    if action.title:find('^Sostituisci "segnalle" con "segnale"') then fix = action end
  end
  check(fix and fix.kind == 'quickfix' and fix.edit, 'the quick fix among %s', show(actions))
  vim.lsp.util.apply_workspace_edit(fix.edit, 'utf-16')
  local fixed = vim.api.nvim_buf_get_lines(train, 8, 9, true)[1]
  check(fixed == 'segnale, 2500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0', 'line 9 after the fix: %s', fixed)
  wait_for('the misspelling gone', function()
    return #diagnostics_of(train, is_misspelt) == 0
  end, describe_train)

  -- Moving the second station 1000 m on clears the fault; the rounded speed stays.
  vim.api.nvim_buf_set_lines(train, 6, 7, true, {
    'stazione, 2400, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 32, 0, Porta Nuova',
  })
  wait_for('the fault gone', function()
    return #diagnostics_of(train, function(d) return d.severity == ERROR end) == 0
  end, describe_train)
  one(train, 'on the rounded speed', is_speed)

  -- An edit after the "ò" of the first station's name: Neovim sends the change's range in
  -- UTF-16 units, one fewer than the line's bytes, and the server must place it there.
  local first_line = vim.api.nvim_buf_get_lines(train, 5, 6, true)[1]
  vim.api.nvim_buf_set_text(train, 5, #first_line, 5, #first_line, { ' Nord' })
  -- The outline is asked again until the change has been compiled (no vim.wait inside
  -- vim.wait: buf_request_sync waits itself).
  local names
  local deadline = vim.loop.now() + 10000
  repeat
    local answer = request(train, 'textDocument/documentSymbol', {
      textDocument = { uri = vim.uri_from_bufnr(train) },
    })
    names = vim.tbl_map(function(s) return s.name end, find_symbol(answer, '[stazioni]').children or {})
    local renamed = vim.tbl_contains(names, 'stazione Città Alta Nord')
    if not renamed then vim.wait(50) end
  until renamed or vim.loop.now() > deadline
  check(vim.tbl_contains(names, 'stazione Città Alta Nord'), 'the renamed station in the outline: %s',
    show(names))

  -- The line text: its warning with the note at the gradient before; "€" is no warning,
  -- whether the editor shows its byte as "€" (cp1252) or as U+0080 (latin1).
  vim.cmd('edit ' .. vim.fn.fnameescape(line_path))
  local line = vim.api.nvim_get_current_buf()
  check(vim.bo[line].fileformat == 'dos', 'fileformat %s', vim.bo[line].fileformat)
  check(vim.lsp.buf_attach_client(line, client_id), 'attach failed')
  local function is_order(d) return d.severity == WARN and d.message:find('fuori ordine', 1, true) end
  wait_for('the line text\'s warning', function()
    return #diagnostics_of(line, is_order) > 0
  end, function() return show(vim.diagnostic.get(line)) end)
  local order = one(line, 'of the gradient out of order', is_order)
  check(order.lnum == 5, 'at %s', show(order))
  local note = order.user_data.lsp.relatedInformation
  check(note and #note == 1 and note[1].location.range.start.line == 4, 'note %s', show(order))
  check(#diagnostics_of(line, function(d) return d.lnum == 9 end) == 0, 'the sign\'s "€": %s',
    show(vim.diagnostic.get(line)))

  -- The server wrote nothing: the folder holds the two texts with their bytes.
  local names = vim.fn.readdir(dir)
  table.sort(names)
  check(#names == 2, 'files in the scenario folder: %s', show(names))
  for path, written in pairs(bytes) do
    check(read_bytes(path) == written, '%s changed', path)
  end

  -- Shutdown and exit: the server ends with status 0.
  vim.lsp.stop_client(client_id)
  wait_for('the server to end', function() return exit_code ~= nil end)
  check(exit_code == 0, 'the server ended with status %s', tostring(exit_code))
end

local ok, err = xpcall(run, debug.traceback)
guard:stop()
if ok then
  io.stdout:write('neovim_test: passed (Neovim ' .. tostring(vim.version().major) .. '.'
    .. tostring(vim.version().minor) .. ')\n')
  vim.cmd('qall!')
else
  quit(1, 'neovim_test: FAILED: ' .. tostring(err))
end
